// Reading a stored caption back as UTF-8 (see caption_text.h).
#include "caption_text.h"

#include <memory>

#include "pack/pack_api.h"

CaptionText ReadCaption(const LoadedPackage& package) {
    FontRecord font;
    DecodeFontRecord(package.trailer.captionFont, &font);
    std::unique_ptr<ReelboxPacker, void (*)(ReelboxPacker*)> packer(ReelboxPackCreate(), ReelboxPackFree);
    int readAs = 0;
    CaptionText caption;
    caption.utf8 = ReelboxPackCaptionToUtf8(packer.get(), package.bytes.data() + package.payloads.captionOffset,
                                            package.payloads.captionCopyLength, font.charSet, &readAs);
    caption.charsetNote = "charset " + std::to_string(font.charSet) +
                          (readAs == font.charSet ? ", " : ", read as ") + ReelboxPackCharsetName(readAs);
    return caption;
}
