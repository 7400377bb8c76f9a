#pragma once

#include <cstdint>
#include <map>

#include <boost/shared_ptr.hpp>
#include <boost/thread/mutex.hpp>

namespace Ostrel {

// Anything the registry can own until the process ends.
class IDestructible {
public:
    virtual ~IDestructible() = default;
};

class ISingletonInstance {
public:
    virtual ~ISingletonInstance() = default;
};

// Keeps the one object of type T alive for as long as it is registered.
template <class T>
class SingletonInstance : public ISingletonInstance {
public:
    explicit SingletonInstance(boost::shared_ptr<T> object) : object_(std::move(object)) {}

private:
    boost::shared_ptr<T> object_;
};

// Owns the singleton instances; it is itself owned by the registry, so they
// all go when the runtime's exit processing destroys the registry.
class SingletonDestructionMonitor : public IDestructible {
public:
    static SingletonDestructionMonitor* Instance();
    ~SingletonDestructionMonitor() override;

    void Register(std::int32_t key, boost::shared_ptr<ISingletonInstance> instance);

private:
    SingletonDestructionMonitor() = default;

    boost::mutex mutex_;
    std::multimap<std::int32_t, boost::shared_ptr<ISingletonInstance>> instances_;
};

// The root owner: one static object, built on first use, destroyed at exit.
class SingletonRegistry {
public:
    static SingletonRegistry& Instance();

    void Register(std::int32_t key, boost::shared_ptr<IDestructible> object);

private:
    SingletonRegistry() = default;

    boost::mutex mutex_;
    std::multimap<std::int32_t, boost::shared_ptr<IDestructible>> objects_;
};

// Order keys: the monitor's own entries go before the monitor itself.
constexpr std::int32_t kLogWriterOrder = 1;
constexpr std::int32_t kMonitorOrder = 2;

}  // namespace Ostrel
