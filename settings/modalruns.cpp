#include "modalruns.h"

#include <utility>
#include <vector>

namespace settings {

namespace {

// Main thread only, like every window of the application.
int s_depth = 0;

struct Observer
{
    const void *owner;
    std::function<void()> callback;
};

std::vector<Observer> &observers()
{
    static std::vector<Observer> list;
    return list;
}

} // namespace

int ModalRuns::depth()
{
    return s_depth;
}

ModalRuns::Scope::Scope()
{
    ++s_depth;
}

ModalRuns::Scope::~Scope()
{
    if (--s_depth > 0)
        return;
    // A callback may add or remove observers: each owner of the snapshot is
    // called only while it is still registered.
    std::vector<const void *> owners;
    for (const Observer &observer : observers())
        owners.push_back(observer.owner);
    for (const void *owner : owners) {
        for (const Observer &observer : observers()) {
            if (observer.owner == owner) {
                const std::function<void()> callback = observer.callback;
                callback();
                break;
            }
        }
    }
}

void ModalRuns::onSettled(const void *owner, std::function<void()> callback)
{
    observers().push_back(Observer { owner, std::move(callback) });
}

void ModalRuns::removeObserver(const void *owner)
{
    std::erase_if(observers(), [owner](const Observer &o) { return o.owner == owner; });
}

} // namespace settings
