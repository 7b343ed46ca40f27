// HID report descriptors as the kernel hands them over. Any bytes either
// fail or give report lengths that fit the 16-bit length fields (each 0 for
// a kind the descriptor never declares), the same at every parse, with no
// trace of what the result held before.
#include "FuzzCheck.h"

#include "usb/platform/linux/ReportDescriptor.h"

#include <cstdint>

using hid::hidraw::ReportDescriptor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ReportDescriptor first;
    first.numbered = true;
    first.lengths.input = 7;
    const bool ok = ReportDescriptor::parse(data, size, first);

    ReportDescriptor second;
    FUZZ_CHECK(ReportDescriptor::parse(data, size, second) == ok);
    if (!ok)
        return 0;
    FUZZ_CHECK(first.numbered == second.numbered);
    FUZZ_CHECK(first.lengths.input == second.lengths.input &&
               first.lengths.output == second.lengths.output &&
               first.lengths.feature == second.lengths.feature);
    // A descriptor without a main item declares no report at all.
    if (size == 0)
        FUZZ_CHECK(!first.numbered && first.lengths.input == 0 && first.lengths.output == 0 &&
                   first.lengths.feature == 0);
    return 0;
}
