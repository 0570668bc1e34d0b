#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/component_list.h"

namespace {

// Logs its updates and destruction; an update may run an action on the list.
class Probe : public Component {
  public:
    Probe(std::string name, std::vector<std::string>* log) : name(std::move(name)), log(log) {}
    ~Probe() override { log->push_back("~" + name); }
    void Update(float) override {
        log->push_back(name);
        if (onUpdate) {
            onUpdate();
        }
    }
    std::string name;
    std::vector<std::string>* log;
    std::function<void()> onUpdate;
};

TEST(ComponentList, UpdatesSurviveRemovalsDuringTheWalk) {
    struct Case {
        const char* what;
        // Index of the component whose update removes, and the index it removes.
        int remover;
        int removed;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"itself first", 0, 0, {"a", "~a", "b", "c", "d"}},
        {"itself in the middle", 1, 1, {"a", "b", "~b", "c", "d"}},
        {"itself last", 3, 3, {"a", "b", "c", "d", "~d"}},
        {"an earlier one", 2, 0, {"a", "b", "c", "~a", "d"}},
        {"a later one", 1, 2, {"a", "b", "~c", "d"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> log;
        ComponentList list;
        std::vector<Probe*> probes;
        for (const char* name : {"a", "b", "c", "d"}) {
            probes.push_back(list.Create<Probe>(nullptr, name, &log));
        }
        Probe* victim = probes[c.removed];
        probes[c.remover]->onUpdate = [&list, victim] { EXPECT_TRUE(list.Remove(victim)); };
        list.Update(0.1f);
        EXPECT_EQ(log, c.expected);
        EXPECT_EQ(list.Size(), 3u);
    }
}

TEST(ComponentList, AnUpdateThatRemovesAnEarlierOneAndItselfSkipsNothing) {
    std::vector<std::string> log;
    ComponentList list;
    std::vector<Probe*> probes;
    for (const char* name : {"a", "b", "c", "d"}) {
        probes.push_back(list.Create<Probe>(nullptr, name, &log));
    }
    probes[2]->onUpdate = [&list, &probes] {
        EXPECT_TRUE(list.Remove(probes[1]));
        EXPECT_TRUE(list.Remove(probes[2]));
    };
    list.Update(0.1f);
    EXPECT_EQ(log, (std::vector<std::string>{"a", "b", "c", "~b", "~c", "d"}));
    // A removal between updates leaves the next walk whole.
    EXPECT_TRUE(list.Remove(probes[0]));
    log.clear();
    list.Update(0.1f);
    EXPECT_EQ(log, (std::vector<std::string>{"d"}));
}

TEST(ComponentList, OwnsWhatItCreatedUntilRemovedOrDestroyed) {
    std::vector<std::string> log;
    Probe stranger("stranger", &log);
    {
        ComponentList list;
        Probe* a = list.Create<Probe>(nullptr, "a", &log);
        Probe* b = list.Create<Probe>(nullptr, "b", &log);
        EXPECT_EQ(list.IndexOf(b), 1);
        EXPECT_FALSE(list.Remove(&stranger));
        EXPECT_TRUE(list.Remove(a));
        EXPECT_FALSE(list.Remove(a));
        EXPECT_EQ(list.IndexOf(b), 0);
        EXPECT_EQ(list.IndexOf(&stranger), -1);
    }
    EXPECT_EQ(log, (std::vector<std::string>{"~a", "~b"}));
}

} // namespace
