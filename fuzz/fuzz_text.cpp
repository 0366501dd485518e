// Text and number rules on arbitrary bytes: nothing may crash, and the
// conversions keep their promises.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/numtext.hpp"
#include "platform/text.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view in(reinterpret_cast<const char*>(data), size);

    // Every Windows-1252 byte comes back from UTF-8 unchanged.
    if (platform::utf8_to_cp1252(platform::cp1252_to_utf8(in)) != in) std::abort();
    // Any bytes taken as UTF-8 give no more characters than bytes.
    if (platform::utf8_to_cp1252(in).size() > size) std::abort();
    if (platform::upper_cp1252(in).size() != size) std::abort();

    double v = platform::leading_value(in);
    (void)platform::with_sign_place(v);
    (void)platform::is_number(in);
    (void)platform::read_whole(in);
    std::size_t cut = size ? data[0] % (size + 1) : 0;
    (void)platform::format_pattern(in.substr(0, cut), in.substr(cut));
    return 0;
}
