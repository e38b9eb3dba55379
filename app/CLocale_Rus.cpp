#include "app/CLocale_Rus.h"

#include "app/CLocale_Eng.h"
#include "app/TextIds.h"

namespace emu {

namespace {

// Stored as UTF-16 and assigned wide. The narrow assignment widens a byte to the
// unit of the same value (Latin-1), so Cyrillic given as 8-bit text would come
// out as accented Latin letters, whatever code page the bytes were meant in.
// A null entry takes the English 8-bit text.
const common::WChar* const kTexts[TextId::kLastOrdinary + 1] = {
    u"Язык (Language)",                                                      // 0
    u"Автор",                                                                 // 1
    u"Версия",                                                                // 2
    u"Россия",                                                                // 3
    u"О программе",                                                           // 4
    u"О программе...",                                                        // 5
    u"Эмуляция",                                                              // 6
    u"Старт",                                                                 // 7
    u"Стоп",                                                                  // 8
    u"Пауза",                                                                 // 9
    u"Синхронизация",                                                         // 10
    u"Быстрая инициализация",                                                 // 11
    u"Сохранить состояние\tF11",                                              // 12
    u"Загрузить состояние\tF12",                                              // 13
    u"Выход",                                                                 // 14
    u"Компьютер",                                                             // 15
    u"Дисководы",                                                             // 16
    u"Видео",                                                                 // 17
    u"Звук",                                                                  // 18
    u"Управление",                                                            // 19
    u"Отладка",                                                               // 20
    u"Вид",                                                                   // 21
    u"Настройки",                                                             // 22
    u"Справка",                                                               // 23
    u"Разворачивать окно при запуске",                                        // 24
    u"Авто-старт эмуляции",                                                   // 25
    u"Панель инструментов",                                                   // 26
    u"Экран эмуляции",                                                        // 27
    u"Окно консоли",                                                          // 28
    u"Захват мыши при двойном щелчке",                                        // 29
    u"Загрузить из файла",                                                    // 30
    u"Выгрузить",                                                             // 31
    u"Защелка",                                                               // 32
    u"Частота синхронизации",                                                 // 33
    u"2450 Гц (скоростная эмуляция)",                                         // 34
    u"7350 Гц (быстрая эмуляция)",                                            // 35
    u"14700 Гц (стандартная эмуляция)",                                       // 36
    u"22050 Гц (медленная эмуляция)",                                         // 37
    u"44100 Гц (очень медленная эмуляция)",                                   // 38
    u"Игнорировать строки-дубли в консоли",                                   // 39
    u"Кадровая отрисовка",                                                    // 40
    u"Строчная отрисовка",                                                    // 41
    u"Соотношение сторон",                                                    // 42
    u"По умолчанию",                                                          // 43
    u"Масштабировать по окну",                                                // 44
    u"Картридж 1",                                                            // 45
    u"Картридж 2",                                                            // 46
    u"Картридж 3",                                                            // 47
    u"Картридж 4",                                                            // 48
    u"Гибкий диск 1",                                                         // 49
    u"Гибкий диск 2",                                                         // 50
    u"Гибкий диск 3",                                                         // 51
    u"Гибкий диск 4",                                                         // 52
    u"Жесткий диск 1",                                                        // 53
    u"Жесткий диск 2",                                                        // 54
    u"Жесткий диск 3",                                                        // 55
    u"Жесткий диск 4",                                                        // 56
    u"CD/DVD диск 1",                                                         // 57
    u"CD/DVD диск 2",                                                         // 58
    u"CD/DVD диск 3",                                                         // 59
    u"CD/DVD диск 4",                                                         // 60
    u"Включить канал 0",                                                      // 61
    u"Включить канал 1",                                                      // 62
    u"Включить канал 2",                                                      // 63
    u"Включить канал 3",                                                      // 64
    u"Включить канал 4",                                                      // 65
    u"Разрешить звук",                                                        // 66
    u"Включить шум",                                                          // 67
    u"Режим YM-2149F",                                                        // 68
    u"ЗАГРУЗИТЬ состояние эмулятора!",                                        // 69
    u"СОХРАНИТЬ состояние эмулятора?",                                        // 70
    u"Подтверждение",                                                         // 71
    u"в Память",                                                              // 72
    u"в Файл",                                                                // 73
    u"Отмена",                                                                // 74
    u"из Памяти",                                                             // 75
    u"из Файла",                                                              // 76
    u"Выберите компьютер",                                                    // 77
    nullptr,                                                                  // 78: the English text
    nullptr,                                                                  // 79: the English text
    u"renderer",                                                              // 80
    u"48000 Гц",                                                              // 81
    u"44100 Гц",                                                              // 82
    u"22050 Гц",                                                              // 83
    u"16000 Гц",                                                              // 84
    u"Скорость",                                                              // 85
    u"   [нажмите среднюю кнопку или клавишу \"Win\" для освобождения мыши]", // 86
    u"Размер ГЗУ (страниц памяти)",                                           // 87
    u"Стрелка Вниз как Num5",                                                 // 88
    u"Альтернативные цвета",                                                  // 89
    u"512x256 (Черно/белый)",                                                 // 90
    u"256x256 (Полутоновой)",                                                 // 91
    u"256x256 (Цветной)",                                                     // 92
    u"Эмулировать джойстик через NumPad",                                     // 93
    u"Нормализация (предварительная)",                                        // 94
    u"Частота чипа",                                                          // 95
    u"Использование NumPad",                                                  // 96
    u"Стандартно",                                                            // 97
    u"Как мышь",                                                              // 98
    u"Полутоновой дисплей",                                                   // 99
    u"Светлая палитра",                                                       // 100
    u"Расширения CGA",                                                        // 101
    u"Композитный режим 160x200x16",                                          // 102
    u"\u0422andy / PCjr x16 режимы",                                          // 103: a Cyrillic Te, then Latin letters
    u"Нажать  РУС (Русский)",                                                 // 104
    u"Нажать  ЛАТ  (Латинский)",                                              // 105
    u"Тип процессора",                                                        // 106
    u"Частота процессора",                                                    // 107
    u"Размер ОЗУ",                                                            // 108
    u"Модель / БИОС",                                                         // 109
};

} // namespace

CLocale_Rus::CLocale_Rus() = default;

CLocale_Rus::~CLocale_Rus() = default;

bool CLocale_Rus::LookupText(int32_t id, common::CWideString& text) const {
    const common::WChar* found = nullptr;
    if (id >= 0 && id <= TextId::kLastOrdinary)
        found = kTexts[id];
    else if (id == TextId::kAllFiles)
        found = u"Все файлы";
    else if (id == TextId::kAllSupportedFiles)
        found = u"Все поддерживаемые форматы";
    else if (id == TextId::kSettingsNotSaved)
        found = u"Не удалось сохранить настройки в файлы:";
    else if (id == TextId::kImageNotOpened)
        found = u"Образ не открывается:";
    else if (id == TextId::kImageFitsNoFormat)
        found = u"Размер образа не подходит ни к одному формату диска:";
    else if (id == TextId::kBytes)
        found = u"байт";
    else
        return false;
    if (found) {
        text.AssignWide(found);
        return true;
    }
    const char* english = CLocale_Eng::FindText(id);
    if (!english)
        return false;
    text.AssignNarrow(english, -1);
    return true;
}

} // namespace emu
