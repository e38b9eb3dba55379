#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "common/CNarrowString.h"
#include "common/CSettingsRegistry.h"
#include "common/CTextConsole.h"
#include "emu/framework/CObjectContainer.h"
#include "emu/framework/FrameworkTestSupport.h"

using test::Bytes;
using test::CTestStream;

namespace {

typedef std::vector<std::string> Log;

// A container that records its starts and stops, reports a rate and keeps
// one byte of own data in the field "DAT".
class CProbe : public emu::CObjectContainer {
public:
    CProbe(Log* log = nullptr, int32_t rate = 0, bool startResult = true)
        : m_log(log), m_rate(rate), m_startResult(startResult) {}
    ~CProbe() override {
        if (m_deleted != nullptr)
            ++*m_deleted;
    }

    bool Start(int32_t* value) override {
        if (m_log != nullptr)
            m_log->push_back("start " + std::string(GetName()));
        if (m_rate > *value)
            *value = m_rate;
        return m_startResult && CObjectContainer::Start(value);
    }
    void Stop() override {
        CObjectContainer::Stop();
        if (m_log != nullptr)
            m_log->push_back("stop " + std::string(GetName()));
    }
    bool CollectProperties(common::CSettingsRegistry* registry, bool enabledOnly) override {
        ++m_collected;
        return CObjectContainer::CollectProperties(registry, enabledOnly) && m_collectResult;
    }
    bool ValidateProperties(bool enabledOnly) override {
        ++m_validated;
        return CObjectContainer::ValidateProperties(enabledOnly) && m_validateResult;
    }
    bool SaveData(common::CStreamHolder& holder) override {
        return holder.WriteUInt8Field(m_data, common::CNarrowString("DAT"));
    }
    bool LoadData(common::CStreamHolder& holder, common::CNarrowString* /*errorText*/) override {
        return holder.ReadUInt8Field(m_data, common::CNarrowString("DAT"));
    }
    bool QueryTrue(common::CNarrowString* errorText) override {
        if (!m_queryResult && errorText != nullptr)
            errorText->AssignNarrow("refused");
        return m_queryResult;
    }

    // Lets a test put a null entry into the child list.
    void AppendNullChild() { m_children.push_back(nullptr); }

    Log* m_log;
    int32_t m_rate;
    bool m_startResult;
    bool m_collectResult = true;
    bool m_validateResult = true;
    bool m_queryResult = true;
    int m_collected = 0;
    int m_validated = 0;
    uint8_t m_data = 0;
    int* m_deleted = nullptr;
};

CProbe* AddProbe(emu::CObjectContainer& parent, const char* name, Log* log = nullptr, int32_t rate = 0,
                 bool startResult = true) {
    auto* probe = new CProbe(log, rate, startResult);
    parent.AddChild(probe, name, nullptr);
    return probe;
}

// R { A { C }, B, D } with own data bytes set from the names' first letters.
struct CTree {
    CProbe root;
    CProbe* a;
    CProbe* b;
    CProbe* c;
    CProbe* d;

    CTree() {
        root.SetName("R");
        a = AddProbe(root, "A");
        c = AddProbe(*a, "C");
        b = AddProbe(root, "B");
        d = AddProbe(root, "D");
    }
    void SetData(uint8_t base) {
        root.m_data = base;
        a->m_data = base + 1;
        b->m_data = base + 2;
        c->m_data = base + 3;
        d->m_data = base + 4;
    }
};

Bytes SaveTree(emu::CObject& root) {
    CTestStream stream;
    common::CStreamHolder holder(&stream.Stream());
    EXPECT_TRUE(root.SaveState(holder));
    return stream.GetBytes();
}

bool LoadTree(emu::CObject& root, const Bytes& bytes, common::CNarrowString* errorText = nullptr) {
    CTestStream stream(bytes);
    common::CStreamHolder holder(&stream.Stream());
    return root.LoadState(holder, errorText);
}

TEST(ObjectStateTest, ChunkOfAnObjectWithoutDataMatchesTheRecordExample) {
    const Bytes expected = {0xF0, 0x81, 0x82, 0x03, 0x00, 0x41, 0x42, 0x43, 0xF8, 0x81, 0x85, 0x04, 0x00,
                            0x5F, 0x56, 0x45, 0x52, 0x00, 0x00, 0xF8, 0x81, 0x84, 0x05, 0x00, 0x5F, 0x45,
                            0x4E, 0x42, 0x4C, 0x40, 0x01, 0xFF, 0x81, 0x82, 0x03, 0x00, 0x41, 0x42, 0x43};
    emu::CObject object;
    object.SetName("ABC");
    EXPECT_EQ(SaveTree(object), expected);
    emu::CObjectContainer container;
    container.SetName("ABC");
    EXPECT_EQ(SaveTree(container), expected);
    EXPECT_TRUE(LoadTree(container, expected));
    EXPECT_TRUE(LoadTree(object, expected));
}

TEST(ObjectStateTest, SaveWritesEnabledChildrenDepthFirstAfterOwnData) {
    CTree tree;
    tree.SetData(0x10);
    tree.b->SetEnabled(false);

    Bytes expected;
    auto head = [&](const char* name, uint8_t data) {
        test::AppendObjectHead(expected, name, true);
        test::AppendU8Field(expected, "DAT", data);
    };
    head("R", 0x10);
    head("A", 0x11);
    head("C", 0x13);
    test::AppendEnd(expected, "C");
    test::AppendEnd(expected, "A");
    head("D", 0x14);
    test::AppendEnd(expected, "D");
    test::AppendEnd(expected, "R");
    EXPECT_EQ(SaveTree(tree.root), expected);
}

TEST(ObjectStateTest, LoadRestoresEveryEnabledObjectAndConsumesTheChunk) {
    CTree saved;
    saved.SetData(0x20);
    const Bytes bytes = SaveTree(saved.root);

    CTree loaded;
    loaded.SetData(0x00);
    CTestStream stream(bytes);
    common::CStreamHolder holder(&stream.Stream());
    ASSERT_TRUE(loaded.root.LoadState(holder, nullptr));
    EXPECT_EQ(stream.GetPosition(), static_cast<int64_t>(bytes.size()));
    EXPECT_EQ(loaded.root.m_data, 0x20);
    EXPECT_EQ(loaded.a->m_data, 0x21);
    EXPECT_EQ(loaded.b->m_data, 0x22);
    EXPECT_EQ(loaded.c->m_data, 0x23);
    EXPECT_EQ(loaded.d->m_data, 0x24);
}

// A load requires exactly the chunks the save wrote, in order.
TEST(ObjectStateTest, LoadRefusesEveryDifferenceInTheChildSequence) {
    struct Case {
        const char* what;
        std::function<void(CTree&)> beforeSave;
        std::function<void(CTree&)> beforeLoad;
        bool loads;
    };
    const Case cases[] = {
        {"same tree", [](CTree&) {}, [](CTree&) {}, true},
        {"child missing in the stream", [](CTree& t) { t.d->SetEnabled(false); }, [](CTree&) {}, false},
        {"extra child in the stream", [](CTree&) {}, [](CTree& t) { t.d->SetEnabled(false); }, false},
        {"grandchild missing in the stream", [](CTree& t) { t.c->SetEnabled(false); }, [](CTree&) {}, false},
        {"child renamed", [](CTree&) {}, [](CTree& t) { t.d->SetName("E"); }, false},
        {"children swapped",
         [](CTree& t) {
             t.b->SetName("D");
             t.d->SetName("B");
         },
         [](CTree&) {}, false},
        {"disabled on both sides", [](CTree& t) { t.b->SetEnabled(false); }, [](CTree& t) { t.b->SetEnabled(false); },
         true},
        {"root renamed", [](CTree&) {}, [](CTree& t) { t.root.SetName("S"); }, false},
        {"final query refused", [](CTree&) {}, [](CTree& t) { t.root.m_queryResult = false; }, false},
    };
    for (const Case& c : cases) {
        CTree saved;
        c.beforeSave(saved);
        CTree loaded;
        c.beforeLoad(loaded);
        EXPECT_EQ(LoadTree(loaded.root, SaveTree(saved.root)), c.loads) << c.what;
    }
}

TEST(ObjectStateTest, DisabledChildIsLeftUntouchedByALoad) {
    CTree saved;
    saved.SetData(0x30);
    saved.b->SetEnabled(false);
    CTree loaded;
    loaded.SetData(0x00);
    loaded.b->SetEnabled(false);
    ASSERT_TRUE(LoadTree(loaded.root, SaveTree(saved.root)));
    EXPECT_EQ(loaded.b->m_data, 0x02);
    EXPECT_FALSE(loaded.b->IsEnabled());
    EXPECT_EQ(loaded.d->m_data, 0x34);
}

TEST(ObjectStateTest, StoredVersionOtherThanZeroFailsBeforeTheEnabledFlag) {
    Bytes bytes;
    test::AppendObjectHead(bytes, "ABC", false, 1);
    test::AppendEnd(bytes, "ABC");
    emu::CObjectContainer object;
    object.SetName("ABC");
    EXPECT_FALSE(LoadTree(object, bytes));
    EXPECT_TRUE(object.IsEnabled());
}

TEST(ObjectStateTest, StoredEnabledFalseDisablesTheObjectAndItsNextSaveSkipsIt) {
    CTree saved;
    saved.a->SetEnabled(false);
    Bytes bytes = SaveTree(saved.root);
    // The child A is disabled in the stream by its own flag: build a stream in
    // which A's chunk is present but says "_ENBL" false.
    CTree withA;
    Bytes full = SaveTree(withA.root);
    Bytes needle;
    test::AppendObjectHead(needle, "A", true);
    auto at = std::search(full.begin(), full.end(), needle.begin(), needle.end());
    ASSERT_NE(at, full.end());
    at[static_cast<long>(needle.size()) - 1] = 0x00;

    CTree loaded;
    ASSERT_TRUE(LoadTree(loaded.root, full));
    EXPECT_FALSE(loaded.a->IsEnabled());
    EXPECT_EQ(SaveTree(loaded.root), bytes);
}

TEST(ObjectStateTest, TruncatedOrDamagedStreamsFail) {
    CTree saved;
    const Bytes bytes = SaveTree(saved.root);
    for (size_t length : {size_t(0), size_t(1), size_t(8), bytes.size() / 2, bytes.size() - 1}) {
        CTree loaded;
        EXPECT_FALSE(LoadTree(loaded.root, Bytes(bytes.begin(), bytes.begin() + static_cast<long>(length)))) << length;
    }
    Bytes wrongMarker = bytes;
    wrongMarker[0] = 0xF8;
    CTree loaded;
    EXPECT_FALSE(LoadTree(loaded.root, wrongMarker));
}

TEST(ObjectStateTest, NullChildEntryFailsSaveAndLoad) {
    CProbe root;
    root.SetName("R");
    const Bytes bytes = SaveTree(root);
    root.AppendNullChild();
    CTestStream stream;
    common::CStreamHolder holder(&stream.Stream());
    EXPECT_FALSE(root.SaveState(holder));
    EXPECT_FALSE(LoadTree(root, bytes));
}

TEST(ObjectStateTest, ErrorTextIsPassedToTheQuery) {
    CProbe saved;
    CProbe loaded;
    loaded.m_queryResult = false;
    common::CNarrowString errorText("incorrect version or format");
    EXPECT_FALSE(LoadTree(loaded, SaveTree(saved), &errorText));
    EXPECT_STREQ(errorText.GetNarrow(), "refused");
}

TEST(ObjectLifecycleTest, StartKeepsTheHighestRateAndNeverLowersTheCallers) {
    struct Case {
        int32_t callerRate;
        int32_t expected;
    };
    for (const Case& c : {Case{0, 7}, Case{9, 9}, Case{-5, 7}}) {
        CProbe root;
        AddProbe(root, "A", nullptr, 3);
        AddProbe(root, "B", nullptr, 7);
        AddProbe(root, "C", nullptr, 5);
        int32_t rate = c.callerRate;
        EXPECT_TRUE(root.CObjectContainer::Start(&rate));
        EXPECT_EQ(rate, c.expected);
    }
}

TEST(ObjectLifecycleTest, StartStopsAtTheFirstFailureAndSkipsDisabledChildren) {
    Log log;
    CProbe root;
    AddProbe(root, "A", &log);
    AddProbe(root, "X", &log)->SetEnabled(false);
    AddProbe(root, "B", &log, 0, false);
    AddProbe(root, "C", &log);
    int32_t rate = 0;
    EXPECT_FALSE(root.CObjectContainer::Start(&rate));
    EXPECT_EQ(log, (Log{"start A", "start B"}));
}

TEST(ObjectLifecycleTest, StopRunsLastToFirstOverEnabledChildren) {
    Log log;
    CProbe root;
    AddProbe(root, "A", &log);
    AddProbe(root, "B", &log)->SetEnabled(false);
    AddProbe(*AddProbe(root, "C", &log), "D", &log);
    root.CObjectContainer::Stop();
    EXPECT_EQ(log, (Log{"stop D", "stop C", "stop A"}));
}

TEST(ObjectTreeTest, AddChildNamesParentsAndHandsOverTheConsole) {
    common::CTextConsole console;
    emu::CObjectContainer root;
    root.SetConsole(&console);
    EXPECT_FALSE(root.AddChild(nullptr, "X", "Y"));
    EXPECT_EQ(root.GetChildCount(), 0);

    auto* named = new emu::CObject();
    ASSERT_TRUE(root.AddChild(named, "Full", "Short"));
    EXPECT_STREQ(named->GetName(), "Full");
    EXPECT_STREQ(named->GetShortName(), "Short");
    EXPECT_EQ(named->GetParent(), &root);
    EXPECT_EQ(named->GetConsole(), &console);

    auto* kept = new emu::CObject();
    kept->SetName("Own");
    kept->SetShortName("O");
    ASSERT_TRUE(root.AddChild(kept, nullptr, nullptr));
    EXPECT_STREQ(kept->GetName(), "Own");
    EXPECT_STREQ(kept->GetShortName(), "O");
    EXPECT_EQ(root.GetChildAt(1), kept);
    EXPECT_EQ(root.GetChildAt(2), nullptr);
    EXPECT_EQ(root.GetChildAt(-1), nullptr);
}

TEST(ObjectTreeTest, AddChildRefusesAChildThatIsAlreadyHeld) {
    emu::CObjectContainer first;
    emu::CObjectContainer second;
    auto* child = new emu::CObject();
    ASSERT_TRUE(first.AddChild(child, "C", nullptr));
    EXPECT_FALSE(second.AddChild(child, "D", nullptr));
    EXPECT_FALSE(first.AddChild(child, nullptr, nullptr));
    EXPECT_FALSE(first.AddChild(&first, nullptr, nullptr));
    EXPECT_EQ(first.GetChildCount(), 1);
    EXPECT_EQ(second.GetChildCount(), 0);
    EXPECT_STREQ(child->GetName(), "C");
}

TEST(ObjectTreeTest, SetConsoleReachesEveryDescendant) {
    common::CTextConsole console;
    CTree tree;
    tree.root.SetConsole(&console);
    for (emu::CObject* object : {static_cast<emu::CObject*>(tree.a), static_cast<emu::CObject*>(tree.b),
                                 static_cast<emu::CObject*>(tree.c), static_cast<emu::CObject*>(tree.d)})
        EXPECT_EQ(object->GetConsole(), &console);
}

TEST(ObjectTreeTest, FindChildSearchesDirectChildrenOnlyAndTakesTheFirst) {
    CTree tree;
    auto* second = AddProbe(tree.root, "A");
    EXPECT_EQ(tree.root.FindChild("A"), tree.a);
    EXPECT_NE(tree.root.FindChild("A"), second);
    EXPECT_EQ(tree.root.FindChild("C"), nullptr);
    EXPECT_EQ(tree.a->FindChild("C"), tree.c);
    EXPECT_EQ(tree.root.FindChild("a"), nullptr);
}

TEST(ObjectTreeTest, DottedNameLeavesOutTheRoot) {
    CTree tree;
    common::CNarrowString name("stale");
    tree.root.BuildChildName(name);
    EXPECT_STREQ(name.GetNarrow(), "R");
    tree.a->BuildChildName(name);
    EXPECT_STREQ(name.GetNarrow(), "A");
    tree.c->BuildChildName(name);
    EXPECT_STREQ(name.GetNarrow(), "C.A");
    emu::CObjectContainer::FormatChildName(name, "X");
    EXPECT_STREQ(name.GetNarrow(), "C.A.X");
}

TEST(ObjectTreeTest, NameConflictsAreFoundAsTheTableSays) {
    CTree tree;
    EXPECT_EQ(tree.root.FindNameConflict(true, false), nullptr);
    EXPECT_EQ(tree.root.FindNameConflict(false, false), nullptr);

    tree.c->SetName(nullptr);
    EXPECT_EQ(tree.root.FindNameConflict(true, false), tree.c);
    EXPECT_EQ(tree.root.FindNameConflict(true, true), tree.c);
    // One unnamed object is a name like any other...
    EXPECT_EQ(tree.root.FindNameConflict(false, true), nullptr);
    // ...and a second unnamed one is its duplicate.
    tree.d->SetName("");
    EXPECT_EQ(tree.root.FindNameConflict(false, false), tree.d);

    CTree twins;
    twins.d->SetName("B");
    EXPECT_EQ(twins.root.FindNameConflict(false, false), twins.d);
    EXPECT_EQ(twins.root.FindNameConflict(true, true), twins.d);
    EXPECT_EQ(twins.root.FindNameConflict(true, false), nullptr);
}

TEST(ObjectTreeTest, PropertyWalksAskEveryChildEvenAfterAFailure) {
    common::CSettingsRegistry registry;
    CTree tree;
    tree.a->m_collectResult = false;
    tree.a->m_validateResult = false;
    tree.d->SetEnabled(false);

    EXPECT_FALSE(tree.root.CObjectContainer::CollectProperties(&registry, false));
    EXPECT_FALSE(tree.root.CObjectContainer::ValidateProperties(false));
    EXPECT_EQ(tree.b->m_collected, 1);
    EXPECT_EQ(tree.d->m_collected, 1);
    EXPECT_EQ(tree.d->m_validated, 1);
    EXPECT_EQ(tree.c->m_collected, 1);

    tree.root.CObjectContainer::CollectProperties(&registry, true);
    tree.root.CObjectContainer::ValidateProperties(true);
    EXPECT_EQ(tree.b->m_collected, 2);
    EXPECT_EQ(tree.d->m_collected, 1);
    EXPECT_EQ(tree.d->m_validated, 1);

    emu::CObject plain;
    EXPECT_TRUE(plain.CollectProperties(&registry, false));
    EXPECT_FALSE(plain.CollectProperties(nullptr, false));
    EXPECT_TRUE(plain.ValidateProperties(true));
}

TEST(ObjectTreeTest, DeleteChildrenDeletesAndEmptiesTheList) {
    int deleted = 0;
    {
        CProbe root;
        AddProbe(root, "A")->m_deleted = &deleted;
        AddProbe(root, "B")->m_deleted = &deleted;
        root.DeleteChildren();
        EXPECT_EQ(deleted, 2);
        EXPECT_EQ(root.GetChildCount(), 0);
        AddProbe(root, "C")->m_deleted = &deleted;
    }
    EXPECT_EQ(deleted, 3);
}

TEST(ObjectTreeTest, PlainObjectDefaults) {
    emu::CObject object;
    int32_t rate = 4900;
    EXPECT_TRUE(object.Start(&rate));
    EXPECT_EQ(rate, 4900);
    EXPECT_FALSE(object.IsProcessor());
    EXPECT_FALSE(object.IsDevice());
    EXPECT_STREQ(object.GetName(), "");
    EXPECT_FALSE(emu::CObject::ReturnZero());
    EXPECT_TRUE(object.IsEnabled());
    EXPECT_EQ(object.GetParent(), nullptr);
}

TEST(ObjectLogTest, MessagesAndErrorsGoToTheConsoleInTheirColours) {
    common::CTextConsole console;
    emu::CObject object;
    object.LogMessage("[INIT] %s", "ready");
    object.LogError("[ERROR] lost");
    object.SetConsole(&console);
    object.LogMessage("[INIT] %d", 5);
    object.LogError("%s", "");
    object.LogError("[ERROR] %s", "bad");
    console.FlushPendingLines();
    ASSERT_EQ(console.GetLineCount(), 2);
    common::CNarrowString text;
    common::ARGB colour = 0;
    ASSERT_TRUE(console.GetLine(0, text, colour));
    EXPECT_STREQ(text.GetNarrow(), "[INIT] 5");
    EXPECT_EQ(colour, common::CTextConsole::kDefaultColour);
    ASSERT_TRUE(console.GetLine(1, text, colour));
    EXPECT_STREQ(text.GetNarrow(), "[ERROR] bad");
    EXPECT_EQ(colour, emu::CObject::kErrorColour);
}

} // namespace
