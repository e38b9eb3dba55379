// The manual-reset event over a mutex, a condition variable on the monotonic
// clock and a flag.
#include "common/CEvent.h"

#include <pthread.h>
#include <time.h>

#include <cerrno>
#include <new>

namespace common {

namespace {

struct HostEvent {
    pthread_mutex_t mutex;
    pthread_cond_t condition;
    bool set;
};

inline HostEvent* Host(void* handle) {
    return static_cast<HostEvent*>(handle);
}

HostEvent* CreateHostEvent(bool initiallySet) {
    HostEvent* event = new (std::nothrow) HostEvent;
    if (event == nullptr)
        return nullptr;
    if (pthread_mutex_init(&event->mutex, nullptr) != 0) {
        delete event;
        return nullptr;
    }
    pthread_condattr_t attributes;
    pthread_condattr_init(&attributes);
    pthread_condattr_setclock(&attributes, CLOCK_MONOTONIC);
    const int result = pthread_cond_init(&event->condition, &attributes);
    pthread_condattr_destroy(&attributes);
    if (result != 0) {
        pthread_mutex_destroy(&event->mutex);
        delete event;
        return nullptr;
    }
    event->set = initiallySet;
    return event;
}

} // namespace

CEvent::CEvent(bool initiallySet) : m_handle(CreateHostEvent(initiallySet)) {}

CEvent::~CEvent() {
    if (HostEvent* event = Host(m_handle)) {
        pthread_cond_destroy(&event->condition);
        pthread_mutex_destroy(&event->mutex);
        delete event;
    }
}

bool CEvent::Set() {
    HostEvent* event = Host(m_handle);
    if (event == nullptr)
        return false;
    pthread_mutex_lock(&event->mutex);
    event->set = true;
    pthread_cond_broadcast(&event->condition);
    pthread_mutex_unlock(&event->mutex);
    return true;
}

bool CEvent::Reset() {
    HostEvent* event = Host(m_handle);
    if (event == nullptr)
        return false;
    pthread_mutex_lock(&event->mutex);
    event->set = false;
    pthread_mutex_unlock(&event->mutex);
    return true;
}

bool CEvent::Wait(int32_t timeoutMs) {
    HostEvent* event = Host(m_handle);
    if (event == nullptr)
        return false;
    timespec deadline{};
    if (timeoutMs > 0) {
        clock_gettime(CLOCK_MONOTONIC, &deadline);
        deadline.tv_sec += timeoutMs / 1000;
        deadline.tv_nsec += static_cast<long>(timeoutMs % 1000) * 1000000L;
        if (deadline.tv_nsec >= 1000000000L) {
            deadline.tv_sec += 1;
            deadline.tv_nsec -= 1000000000L;
        }
    }
    pthread_mutex_lock(&event->mutex);
    // The flag, not the wake-up, decides: wake-ups may be spurious.
    while (!event->set && timeoutMs != 0) {
        if (timeoutMs < 0) {
            pthread_cond_wait(&event->condition, &event->mutex);
        } else if (pthread_cond_timedwait(&event->condition, &event->mutex, &deadline) == ETIMEDOUT) {
            break;
        }
    }
    const bool set = event->set;
    pthread_mutex_unlock(&event->mutex);
    return set;
}

} // namespace common
