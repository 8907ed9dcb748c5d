// libFuzzer target for the RTF reader, the writer and the format-range call:
// any bytes must load without crashing, what the writer makes of the result
// must read back to the same text, and formatting page after page must stay
// within the text and either advance or say that nothing fits.

#include "fuzz_gui.h"
#include "rich_edit.h"

#include <QImage>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qpFuzzStartGui("fuzz_rtf");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    TRichEdit edit;
    edit.LoadFromBytes(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    TRichEdit again;
    again.LoadFromBytes(edit.SaveToRtf());
    if (again.Text() != edit.Text())
        abort();

    static QImage screen(1, 1, QImage::Format_RGB32);
    const int length = edit.TextLength();
    for (int pos = 0, pages = 0; pos < length && pages < 50; ++pages) {
        const int end = edit.FormatRange({&screen, nullptr, QRect(0, 0, 1440, 720), pos, -1});
        if (end < pos || end > length)
            abort();
        if (end == pos)
            break; // a line higher than the page
        pos = end;
    }
    return 0;
}
