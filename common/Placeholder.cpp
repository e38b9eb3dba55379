// Keeps the library non-empty until its classes arrive.
namespace common { int g_placeholder = 0; }
