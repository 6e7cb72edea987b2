// The few pieces of the C++ runtime that the program defines itself, so that
// the shipped .exe carries only what it uses. A static MinGW-w64 link cannot
// drop unused functions that have unwind tables (the linker keeps all of
// .eh_frame), so what counts is which library objects get pulled in at all:
// tools/size-report.sh shows what each one weighs.
#include <windows.h>

#include <cxxabi.h>

#include <exception>
#include <iterator>
#include <new>

namespace {

// The runtime's own report of a misuse or an impossible size (a string
// longer than max_size()); the text is the runtime's, a literal.
class RuntimeLimitError final : public std::exception {
public:
    explicit RuntimeLimitError(const char* what) noexcept : what_(what) {}
    const char* what() const noexcept override { return what_; }

private:
    const char* what_;
};

}  // namespace

// The runtime's default handler for an exception that nothing caught writes
// the exception's demangled type name to a console that a windowed program
// does not have, and links the demangler and the printf family (about 70 KB
// of the 32-bit program). This one says what is known in a box and ends with
// the exit code of abort(). std::set_terminate still works.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
    const char* what = "The program ended unexpectedly";
    // Rethrowing the exception being handled, if there is one, reads its
    // message without std::exception_ptr (another 2.6 KB).
    if (abi::__cxa_current_exception_type()) {
        try {
            throw;
        } catch (const std::exception& e) {
            what = e.what();
        } catch (...) {
        }
    }
    wchar_t text[512];
    const bool converted =
        MultiByteToWideChar(CP_UTF8, 0, what, -1, text, static_cast<int>(std::size(text))) != 0;
    MessageBoxW(nullptr, converted ? text : L"The program ended unexpectedly", nullptr,
                MB_OK | MB_ICONERROR | MB_TASKMODAL);
    ExitProcess(3);
}
}  // namespace __gnu_cxx

// What the containers and strings call when they must throw. The runtime's
// versions live in one object that also builds std::logic_error and its
// kin, which link the old copy-on-write strings, std::random_device and a
// second copy of std::string (about 75 KB). Allocation failures throw what
// they always did; the rest carry the runtime's text in a plain exception.
namespace std {
void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_length_error(const char* what) { throw RuntimeLimitError(what); }
void __throw_logic_error(const char* what) { throw RuntimeLimitError(what); }
void __throw_out_of_range_fmt(const char* format, ...) { throw RuntimeLimitError(format); }
}  // namespace std
