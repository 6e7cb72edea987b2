#include "window/convert_command.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "core/errors.h"

namespace convert {
namespace {

// Three fields and a direction, with a log of every text written.
class FakeControls final : public ConvertControls {
public:
    FakeControls(std::u16string cm, std::u16string chi, std::u16string cun, bool first_direction)
        : texts{std::move(cm), std::move(chi), std::move(cun)}, first(first_direction) {}

    std::u16string Text(FieldId field) const override { return texts[Index(field)]; }
    void SetText(FieldId field, std::u16string_view text) override {
        texts[Index(field)] = std::u16string(text);
        writes.push_back(std::to_string(Index(field) + 1) + "=" + ToUtf8(text));
    }
    bool Checked(RadioId radio) const override { return (radio == RadioId::RadioButton1) == first; }

    std::array<std::u16string, 3> texts;
    bool first;
    std::vector<std::string> writes;

private:
    static std::size_t Index(FieldId f) { return static_cast<std::size_t>(f); }
};

using Writes = std::vector<std::string>;

TEST(ConvertCommand, ConvertsAndWritesAllThreeFields) {
    const struct {
        std::u16string cm, chi, cun;
        bool first;
        std::array<std::u16string, 3> result;
        Writes writes;
    } cases[] = {
        {u"", u"", u"", true, {u"0", u"0", u"0"}, {"1=0", "2=0", "3=0", "1=0", "2=0", "3=0"}},
        {u"100", u"9", u"9", true, {u"100", u"3", u"0"}, {"1=100", "2=3", "3=0"}},
        {u"5", u"0", u"0", true, {u"5", u"0", u"1"}, {"1=5", "2=0", "3=1"}},
        {u"007", u"0", u"0", true, {u"7", u"0", u"2"}, {"1=7", "2=0", "3=2"}},
        {u"12345", u"1", u"5", false, {u"50", u"1", u"5"}, {"1=50", "2=1", "3=5"}},
        {u"0", u"0", u"15", false, {u"50", u"0", u"15"}, {"1=50", "2=0", "3=15"}},
        {u"", u"3", u"", false, {u"100", u"3", u"0"}, {"1=0", "3=0", "1=100", "2=3", "3=0"}},
        {u"$10", u"x1", u"+2", false, {u"40", u"1", u"2"}, {"1=40", "2=1", "3=2"}},
    };
    for (const auto& c : cases) {
        FakeControls controls(c.cm, c.chi, c.cun, c.first);
        RunConvertCommand(controls);
        EXPECT_EQ(controls.texts, c.result) << ToUtf8(c.cm) << "," << ToUtf8(c.chi) << "," << ToUtf8(c.cun);
        EXPECT_EQ(controls.writes, c.writes) << ToUtf8(c.cm) << "," << ToUtf8(c.chi) << "," << ToUtf8(c.cun);
    }
}

TEST(ConvertCommand, FirstRefusedFieldEndsTheCommand) {
    const struct {
        std::u16string cm, chi, cun;
        bool first;
        std::u16string message;
        std::array<std::u16string, 3> result;
    } cases[] = {
        {u"", u"99999999999", u"abc", true, u"'99999999999' is not a valid integer value",
         {u"0", u"99999999999", u"abc"}},
        {u"12 ", u"", u"", true, u"'12 ' is not a valid integer value", {u"12 ", u"0", u"0"}},
        {u" ", u"1", u"1", false, u"' ' is not a valid integer value", {u" ", u"1", u"1"}},
        {u"1", u"2", u"１２", false, u"'１２' is not a valid integer value", {u"1", u"2", u"１２"}},
        {u"1", u"64424509", u"5", false, u"The length is too large to convert", {u"1", u"64424509", u"5"}},
    };
    for (const auto& c : cases) {
        FakeControls controls(c.cm, c.chi, c.cun, c.first);
        try {
            RunConvertCommand(controls);
            ADD_FAILURE() << "no error for " << ToUtf8(c.message);
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
        EXPECT_EQ(controls.texts, c.result) << ToUtf8(c.message);
    }
}

}  // namespace
}  // namespace convert
