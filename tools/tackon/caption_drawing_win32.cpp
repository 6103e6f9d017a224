// tackon.exe has no picture captions (see caption_drawing.h): drawing them here would be a
// third text stack, with the receiver's Windows fonts, whose pictures neither the page nor
// native tackon could preview or reproduce.
#include "caption_drawing.h"

bool DrawPictureCaption(ReelboxPacker*, const std::string&, const PackRequest&, std::string* error) {
    *error = "caption: this caption needs a picture caption (emoji, several scripts, right-to-left "
             "text or a place other than the top left), which tackon.exe does not draw; make the show "
             "with the web page or with the Linux tackon, or use --caption-style text for a caption "
             "that one code page holds";
    return false;
}
