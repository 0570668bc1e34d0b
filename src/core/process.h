#pragma once
// Systems updated once per frame by a ProcessManager, and the processes that own the
// components of their component types.

#include <atomic>

#include <boost/shared_ptr.hpp>

#include "core/entity.h"
#include "core/message_handler.h"

class Component;
class StreamMap;

class Process : public Entity, public MessageHandler {
  public:
    ~Process() override = default;
    void Update(float dt) override = 0;
    // Set-up hook of concrete processes.
    virtual void Initialize() {}
    void HandleMessage(BaseMessage*, u32) override {}

    // The process that the manager starts in this one's place once it is killed.
    void SetThreadRequest(boost::shared_ptr<Process> next, bool threaded, bool lockStep,
                          int priority) {
        successor = std::move(next);
        successorThreaded = threaded;
        successorLockStep = lockStep;
        successorPriority = priority;
    }

    // Read and written both by the manager's thread and by a threaded process's own thread.
    std::atomic<bool> killed{false};
    std::atomic<bool> active{true};
    std::atomic<bool> paused{false};
    boost::shared_ptr<Process> successor;
    bool successorThreaded = false;
    bool successorLockStep = true;
    int successorPriority = 0;
    bool attached = false;
};

class ComponentProcess : public Process {
  public:
    // Builds a component from its parameters; null when it cannot be built.
    virtual Component* CreateComponent(StreamMap* parameters) = 0;
    // Takes the component out of the process's list and deletes it.
    virtual void RemoveComponent(Component* component) = 0;
    // The level editor's in-place parameter change; ignored unless a process supports it.
    virtual void UpdateComponent(StreamMap* parameters) {}
};
