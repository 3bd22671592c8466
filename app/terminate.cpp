// Ends the program when the C++ library meets an error it can only throw: a string longer
// than memory, an index out of range, no memory left.
//
// These definitions take the place of libstdc++'s at link time. Its terminate handler writes
// the exception's type to standard error, which a GUI program does not have, and brings its
// symbol demangler and formatted output with it (some 75 KiB); its throw helpers bring the
// exception classes and a second, reference-counted string with them (some 35 KiB). The
// programs throw nothing themselves and catch nothing, so any throw would end them with
// abort() all the same.
#include <stdlib.h>

#include <exception>

namespace __gnu_cxx {
void __verbose_terminate_handler() { abort(); }
}  // namespace __gnu_cxx

namespace std {
void __throw_bad_exception() { abort(); }
void __throw_bad_alloc() { abort(); }
void __throw_bad_array_new_length() { abort(); }
void __throw_bad_cast() { abort(); }
void __throw_bad_typeid() { abort(); }
void __throw_logic_error(const char*) { abort(); }
void __throw_domain_error(const char*) { abort(); }
void __throw_invalid_argument(const char*) { abort(); }
void __throw_length_error(const char*) { abort(); }
void __throw_out_of_range(const char*) { abort(); }
void __throw_out_of_range_fmt(const char*, ...) { abort(); }
void __throw_runtime_error(const char*) { abort(); }
void __throw_range_error(const char*) { abort(); }
void __throw_overflow_error(const char*) { abort(); }
void __throw_underflow_error(const char*) { abort(); }
}  // namespace std
