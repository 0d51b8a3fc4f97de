#include "generation/Journal.h"
#include "generation/Repeat.h"

#include "Fakes.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace passgen {
namespace {

using testing::FakeGenPassServices;

// A text field as a plain string and a selection, with the semantics the
// commands rely on; it counts how often its text is read whole and changed
// whole (assigned or appended to).
class FakeTextField final : public TextField {
public:
    std::u16string Text() const override
    {
        ++reads;
        return m_text;
    }
    void setText(const std::u16string& text) override
    {
        m_text = text;
        m_start = 0;
        m_length = 0;
        ++assignments;
    }
    bool isEmpty() const override { return m_text.empty(); }
    void append(const std::u16string& text) override
    {
        m_text += text;
        m_start = 0;
        m_length = 0;
        ++assignments;
    }
    std::int32_t SelStart() const override { return m_start; }
    void setSelStart(std::int32_t start) override
    {
        m_start = std::clamp<std::int32_t>(start, 0, size());
        m_length = 0;
    }
    std::int32_t SelLength() const override { return m_length; }
    void setSelLength(std::int32_t length) override
    {
        m_length = std::clamp<std::int32_t>(length, 0, size() - m_start);
    }
    std::u16string SelText() const override { return m_text.substr(m_start, m_length); }
    void setSelText(const std::u16string& text) override
    {
        m_text.replace(m_start, m_length, text);
        m_start += static_cast<std::int32_t>(text.size());
        m_length = 0;
    }
    void setFocus() override { focused = true; }

    void select(std::int32_t start, std::int32_t length)
    {
        setSelStart(start);
        setSelLength(length);
    }

    mutable int reads = 0;
    int assignments = 0;
    bool focused = false;

private:
    std::int32_t size() const { return static_cast<std::int32_t>(m_text.size()); }
    std::u16string m_text;
    std::int32_t m_start = 0;
    std::int32_t m_length = 0;
};

// Records what it is asked to do; a failing one keeps what another program
// put there, as a clipboard held open by that program does.
class FakeClipboard final : public Clipboard {
public:
    void clear() override
    {
        operations.push_back(u"<clear>");
        if (!failing) {
            held.clear();
        }
    }
    void setText(const std::u16string& text) override
    {
        operations.push_back(text);
        if (!failing) {
            held = text;
        }
    }
    std::u16string text() const override { return held; }
    std::vector<std::u16string> operations;
    std::u16string held = u"another program's text";
    bool failing = false;
};

struct Window {
    explicit Window(std::u16string simbols = u"abcdef", std::int32_t lenPass = 4,
                    std::int32_t nPass = 1)
        : settings{std::move(simbols), u"", lenPass, nPass}
    {}
    Module1 settings;
    FakeGenPassServices fakes;
    FakeTextField txtPasswd;
    FakeTextField txtPass;
    FakeClipboard clipboard;
    GeneratorCommands commands{settings, txtPasswd, txtPass, clipboard, fakes.services};

    void setJournal(const std::u16string& text)
    {
        txtPass.setText(text);
        txtPass.assignments = 0;
        txtPass.reads = 0;
    }
};

std::vector<std::u16string> lines(const std::u16string& text)
{
    std::vector<std::u16string> result;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(u"\r\n", start)) != std::u16string::npos;
         start = end + 2) {
        result.push_back(text.substr(start, end - start));
    }
    result.push_back(text.substr(start));
    return result;
}

TEST(Generate, closesTheSettingsWindowBeforeAnything)
{
    Window w;
    w.commands.Generate();
    ASSERT_FALSE(w.fakes.log.calls.empty());
    EXPECT_EQ(w.fakes.log.calls.front(), "close");
}

TEST(Generate, usesWhatTheClosedSettingsWindowCommitted)
{
    Window w(u"abcdef", 6, 1);
    w.fakes.settingsWindow.onClose = [&w] { w.settings.LenPass = 11; };
    w.commands.Generate();
    EXPECT_EQ(w.txtPasswd.Text().size(), 11u);
}

TEST(Generate, countBelowTwoLeavesOnePasswordInTheField)
{
    for (const std::int32_t count : {1, 0, -5, INT32_MIN}) {
        Window w(u"abcdef", 7, count);
        w.setJournal(u"J");
        w.commands.Generate();
        EXPECT_EQ(w.txtPasswd.Text().size(), 7u) << count;
        EXPECT_EQ(w.txtPass.Text(), u"J") << count;
        EXPECT_EQ(w.txtPass.assignments, 0) << count;
    }
}

struct BatchCase {
    const char* name;
    std::u16string journal;
    std::int32_t count;
    std::vector<std::u16string> oldLines; // what stands ahead of the new passwords
};

class GenerateBatch : public ::testing::TestWithParam<BatchCase> {};

TEST_P(GenerateBatch, appendsOneLinePerPasswordAndEmptiesTheField)
{
    const BatchCase& c = GetParam();
    Window w(u"abcdef", 5, c.count);
    w.setJournal(c.journal);
    w.commands.Generate();
    // A batch costs what it adds: the journal is neither read whole nor
    // assigned more than once.
    EXPECT_EQ(w.txtPass.reads, 0);
    EXPECT_EQ(w.txtPass.assignments, 1);
    const std::vector<std::u16string> journal = lines(w.txtPass.Text());
    ASSERT_EQ(journal.size(), c.oldLines.size() + static_cast<std::size_t>(c.count));
    EXPECT_TRUE(std::equal(c.oldLines.begin(), c.oldLines.end(), journal.begin()));
    for (std::size_t i = c.oldLines.size(); i < journal.size(); ++i) {
        EXPECT_EQ(journal[i].size(), 5u);
        EXPECT_EQ(journal[i].find_first_not_of(u"abcdef"), std::u16string::npos);
    }
    EXPECT_EQ(w.txtPasswd.Text(), u"");
    EXPECT_EQ(w.fakes.random.seeds.size(), static_cast<std::size_t>(c.count));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GenerateBatch,
    ::testing::Values(BatchCase{"emptyJournal", u"", 3, {}},
                      BatchCase{"journalHoldingOneEntry", u"J", 2, {u"J"}},
                      BatchCase{"journalEndingInLineBreak", u"J\r\n", 2, {u"J", u""}},
                      BatchCase{"largestBatch", u"", 999, {}}),
    [](const auto& info) { return std::string(info.param.name); });

// At a type whose largest value a test can reach: the count is run exactly,
// whatever it is, and the step can end it early.
TEST(repeat, runsAnyCountOfItsTypeExactlyOrUntilTheStepStops)
{
    for (const std::int8_t count : {INT8_MAX, 2, 1, 0, -1, INT8_MIN}) {
        int runs = 0;
        repeat(count, [&] { return ++runs < 1000; });
        EXPECT_EQ(runs, std::max(0, static_cast<int>(count))) << int{count};
    }
    int runs = 0;
    repeat(INT32_MAX, [&] { return ++runs < 3; });
    EXPECT_EQ(runs, 3);
}

// The settings are plain ints: the largest count runs, without the counter
// or the room kept for the batch overflowing, until the set gives out.
TEST(Generate, batchOfTheLargestCountRunsUntilTheSetGivesOut)
{
    Window w(u"abcdef", 5, INT32_MAX);
    int built = 0;
    w.fakes.clock.onTime = [&] {
        if (++built == 3) {
            w.settings.Simbols.clear();
        }
    };
    w.commands.Generate();
    EXPECT_EQ(lines(w.txtPass.Text()).size(), 3u);
    EXPECT_EQ(w.fakes.messageBox.texts.size(), 1u);
}

TEST(Generate, batchWithEmptySymbolSetReportsOnceAndChangesNothing)
{
    Window w(u"", 5, 999);
    w.setJournal(u"J");
    w.commands.Generate();
    EXPECT_EQ(w.fakes.messageBox.texts.size(), 1u);
    EXPECT_TRUE(w.fakes.settingsWindow.shown);
    EXPECT_EQ(w.txtPass.Text(), u"J");
    EXPECT_EQ(w.txtPass.assignments, 0);
    EXPECT_EQ(w.txtPasswd.Text(), u"");
}

TEST(Generate, batchOfEmptyPasswordsLeavesTheJournalUntouched)
{
    Window w(u"abc", 0, 3);
    w.setJournal(u"J");
    w.commands.Generate();
    EXPECT_EQ(w.txtPass.Text(), u"J");
    EXPECT_EQ(w.txtPass.assignments, 0);
    EXPECT_TRUE(w.fakes.messageBox.texts.empty());
}

TEST(PutInJournal, movesThePasswordAndASecondCallChangesNothing)
{
    Window w;
    w.setJournal(u"J");
    w.txtPasswd.setText(u"pw");
    w.commands.PutInJournal();
    EXPECT_EQ(w.txtPass.Text(), u"J\r\npw");
    EXPECT_EQ(w.txtPasswd.Text(), u"");
    w.commands.PutInJournal();
    EXPECT_EQ(w.txtPass.Text(), u"J\r\npw");
    EXPECT_EQ(w.txtPass.assignments, 1);
}

TEST(PutInJournal, table)
{
    struct Case {
        std::u16string journal, password, expected;
    };
    const Case cases[] = {
        {u"", u"pw", u"pw"},
        {u"J", u"pw", u"J\r\npw"},
        {u"J\r\n", u"pw", u"J\r\n\r\npw"},
        {u"J", u" a b ", u"J\r\n a b "},
    };
    for (const Case& c : cases) {
        Window w;
        w.setJournal(c.journal);
        w.txtPasswd.setText(c.password);
        w.commands.PutInJournal();
        EXPECT_EQ(w.txtPass.reads, 0); // one password costs no read of the journal
        EXPECT_EQ(w.txtPass.Text(), c.expected);
        EXPECT_EQ(w.txtPasswd.Text(), u"");
    }
}

TEST(Clear, table)
{
    struct Case {
        const char* name;
        std::u16string journal;
        std::int32_t start, length;
        std::u16string expected;
    };
    const Case cases[] = {
        {"middleEntrySelected", u"p1\r\np2\r\np3", 4, 2, u"p1\r\n\r\np3"},
        {"nothingSelected", u"p1\r\np2", 3, 0, u""},
        {"lastEntryAloneSelected", u"p1\r\np2", 4, 2, u"p1\r\n"},
        {"allSelected", u"p1\r\np2", 0, 6, u""},
        {"emptyJournal", u"", 0, 0, u""},
    };
    for (const Case& c : cases) {
        Window w;
        w.setJournal(c.journal);
        w.txtPass.select(c.start, c.length);
        w.commands.Clear();
        EXPECT_EQ(w.txtPass.Text(), c.expected) << c.name;
    }
}

TEST(SelectAll, focusesAndSelectsTheWholeJournal)
{
    for (const std::u16string journal : {u"p1\r\np2", u""}) {
        Window w;
        w.setJournal(journal);
        w.txtPass.select(1, 0);
        w.commands.SelectAll();
        EXPECT_TRUE(w.txtPass.focused);
        EXPECT_EQ(w.txtPass.SelStart(), 0);
        EXPECT_EQ(w.txtPass.SelLength(), static_cast<std::int32_t>(journal.size()));
    }
}

TEST(Copy, table)
{
    struct Case {
        const char* name;
        std::u16string journal;
        std::int32_t start, length;
        std::vector<std::u16string> operations;
    };
    const Case cases[] = {
        {"nothingSelected", u"p1\r\np2", 2, 0, {u"<clear>", u"", u"p1\r\np2"}},
        {"selection", u"p1\r\np2", 4, 2, {u"<clear>", u"p2"}},
        {"oneCharacter", u"p1\r\np2", 5, 1, {u"<clear>", u"2"}},
        {"emptyJournal", u"", 0, 0, {u"<clear>", u"", u""}},
    };
    for (const Case& c : cases) {
        Window w;
        w.setJournal(c.journal);
        w.txtPass.select(c.start, c.length);
        w.commands.Copy();
        EXPECT_EQ(w.clipboard.operations, c.operations) << c.name;
        EXPECT_EQ(w.txtPass.Text(), c.journal) << c.name;
        EXPECT_EQ(w.txtPass.SelStart(), c.start) << c.name;
        EXPECT_EQ(w.txtPass.SelLength(), c.length) << c.name;
        EXPECT_TRUE(w.fakes.messageBox.texts.empty()) << c.name;
    }
}

TEST(Copy, clipboardThatCannotBeWrittenIsReported)
{
    for (const std::int32_t length : {0, 2}) {
        Window w;
        w.fakes.caption = u"Генератор*";
        w.setJournal(u"p1\r\np2");
        w.txtPass.select(4, length);
        w.clipboard.failing = true;
        w.commands.Copy();
        EXPECT_EQ(w.fakes.messageBox.texts,
                  (std::vector<std::u16string>{
                      u"Ничего не скопировано: не удалось записать в буфер обмена."}))
            << length;
        EXPECT_EQ(w.fakes.messageBox.titles, (std::vector<std::u16string>{u"Генератор*"}))
            << length;
    }
}

} // namespace
} // namespace passgen
