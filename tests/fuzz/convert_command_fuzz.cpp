// The Convert command over three arbitrary field texts and a direction.
//
// Input: the first byte's lowest bit picks the direction (so "0" and "1"
// start readable seeds); the rest is the three fields separated by '\n'.
// The expected outcome is built from the plain model of the text rules and
// the x87 evaluation of the conversions, never from the code under test.
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "core/errors.h"
#include "tests/fuzz/fuzz_text.h"
#include "tests/fuzz/integer_rules_model.h"
#include "tests/reference/x87_length.h"
#include "window/convert_command.h"

namespace {

using Texts = std::array<std::u16string, 3>;

class FuzzControls final : public convert::ConvertControls {
public:
    FuzzControls(Texts texts, bool first) : texts_(std::move(texts)), first_(first) {}

    std::u16string Text(convert::FieldId field) const override { return texts_[Index(field)]; }
    void SetText(convert::FieldId field, std::u16string_view text) override {
        texts_[Index(field)] = std::u16string(text);
        ++writes_;
    }
    bool Checked(convert::RadioId radio) const override {
        return (radio == convert::RadioId::RadioButton1) == first_;
    }

    const Texts& texts() const { return texts_; }
    int writes() const { return writes_; }

private:
    static std::size_t Index(convert::FieldId f) { return static_cast<std::size_t>(f); }
    Texts texts_;
    bool first_;
    int writes_ = 0;
};

[[noreturn]] void Mismatch(const Texts& in, bool first, const char* what) {
    std::fprintf(stderr, "MISMATCH for [%s|%s|%s] direction %d: %s\n", convert::ToUtf8(in[0]).c_str(),
                 convert::ToUtf8(in[1]).c_str(), convert::ToUtf8(in[2]).c_str(), first ? 1 : 2, what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const bool first = (data[0] & 1) == 0;
    Texts in;
    std::size_t field = 0;
    for (std::size_t i = 1; i < size; ++i) {
        if (data[i] == '\n' && field < 2) {
            ++field;
        } else {
            in[field] += convert::fuzz::UnitFromByte(data[i]);
        }
    }

    // What the command should leave: empty fields become "0" first, then the
    // first refused field ends it; otherwise all three are written.
    Texts filled = in;
    int zero_writes = 0;
    for (std::u16string& t : filled) {
        if (t.empty()) {
            t = u"0";
            ++zero_writes;
        }
    }
    std::optional<std::u16string> refusal;
    std::array<std::int32_t, 3> values{};
    for (std::size_t i = 0; i < 3 && !refusal; ++i) {
        const std::optional<std::int32_t> v = convert::model::ParseInteger(filled[i]);
        if (v) {
            values[i] = *v;
        } else {
            refusal = convert::model::RefusalMessage(filled[i]);
        }
    }
    Texts expected = filled;
    bool too_large = false;
    if (!refusal) {
        std::int64_t cm = values[0], chi = values[1], cun = values[2];
        if (first) {
            convert::x87::SignedCmToChiCun(values[0], chi, cun);
        } else {
            too_large = !convert::x87::SignedChiCunToCm(values[1], values[2], cm);
        }
        if (!too_large) {
            expected = {convert::model::DecimalText(cm), convert::model::DecimalText(chi),
                        convert::model::DecimalText(cun)};
        }
    }

    FuzzControls controls(in, first);
    try {
        convert::RunConvertCommand(controls);
        if (refusal) Mismatch(in, first, "converted, a field should be refused");
        if (too_large) Mismatch(in, first, "converted, the length is too large");
        if (controls.writes() != zero_writes + 3) Mismatch(in, first, "wrong number of writes");
    } catch (const convert::EConvertError& e) {
        if (!refusal) Mismatch(in, first, "refused a field the rules accept");
        if (e.Message() != *refusal) Mismatch(in, first, "wrong field or message refused");
        if (controls.writes() != zero_writes) Mismatch(in, first, "wrote after the refusal");
    } catch (const convert::ERangeError& e) {
        if (!too_large) Mismatch(in, first, "too large, the reference fits");
        if (e.Message() != u"The length is too large to convert") Mismatch(in, first, "wrong message");
        if (controls.writes() != zero_writes) Mismatch(in, first, "wrote after the range error");
    }
    if (controls.texts() != expected) Mismatch(in, first, "different field texts");
    return 0;
}
