#include "extract/Ostrel/Singleton.h"

#include <atomic>

#include <boost/thread/recursive_mutex.hpp>

namespace Ostrel {
namespace {

boost::recursive_mutex monitorCreation;
std::atomic<SingletonDestructionMonitor*> monitorCache{nullptr};

}  // namespace

SingletonDestructionMonitor* SingletonDestructionMonitor::Instance() {
    if (SingletonDestructionMonitor* cached = monitorCache.load(std::memory_order_acquire)) return cached;
    boost::recursive_mutex::scoped_lock creation(monitorCreation);
    if (SingletonDestructionMonitor* cached = monitorCache.load(std::memory_order_acquire)) return cached;
    boost::shared_ptr<SingletonDestructionMonitor> monitor(new SingletonDestructionMonitor);
    SingletonRegistry::Instance().Register(kMonitorOrder, monitor);
    monitorCache.store(monitor.get(), std::memory_order_release);
    return monitor.get();
}

SingletonDestructionMonitor::~SingletonDestructionMonitor() {
    monitorCache.store(nullptr);
}

void SingletonDestructionMonitor::Register(std::int32_t key, boost::shared_ptr<ISingletonInstance> instance) {
    boost::mutex::scoped_lock guard(mutex_);
    instances_.emplace(key, std::move(instance));
}

SingletonRegistry& SingletonRegistry::Instance() {
    // Its destruction is queued with the exit processing when it is built.
    static SingletonRegistry registry;
    return registry;
}

void SingletonRegistry::Register(std::int32_t key, boost::shared_ptr<IDestructible> object) {
    boost::mutex::scoped_lock guard(mutex_);
    objects_.emplace(key, std::move(object));
}

}  // namespace Ostrel
