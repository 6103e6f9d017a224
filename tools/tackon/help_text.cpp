// The --help text (see help_text.h). It documents every option and every default; the
// list of cells comes from the packing core's table.
#include "help_text.h"

#include <string>

#include "pack/pack_api.h"

namespace {

constexpr size_t kOptionColumn = 23;
constexpr size_t kLineWidth = 86;

// Words laid out in the option column, as many to a line as fit; a tab joins two words
// that stay on one line.
std::string InOptionColumn(const std::string& words) {
    std::string text, line;
    size_t start = 0;
    while (start < words.size()) {
        size_t end = words.find(' ', start);
        if (end == std::string::npos)
            end = words.size();
        const std::string word = words.substr(start, end - start);
        if (!line.empty() && kOptionColumn + line.size() + 1 + word.size() > kLineWidth) {
            text += std::string(kOptionColumn, ' ') + line + "\n";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
        start = end + 1;
    }
    text += std::string(kOptionColumn, ' ') + line + "\n";
    for (char& c : text)
        c = c == '\t' ? ' ' : c;
    return text;
}

std::string CellsText() {
    std::string words = "CELL is a name or its number:";
    for (int cell = 0; cell < ReelboxPackCellCount(); ++cell)
        words += std::string(cell ? ", " : " ") + ReelboxPackCellName(cell) + "\t" + std::to_string(cell);
    return InOptionColumn(words + "; both default to " + ReelboxPackCellName(REELBOX_PACK_RANDOM_CELL));
}

// The charsets from the packing core's table, in the order they are tried.
std::string CharsetsText() {
    std::string words = "the caption font's charset. Without it the first that holds the whole caption, "
                        "in this order:";
    for (int i = 0; i < ReelboxPackCharsetCount(); ++i) {
        std::string name = ReelboxPackCharsetName(ReelboxPackCharsetAt(i));
        for (char& c : name)
            c = c == ' ' ? '\t' : c;
        words += std::string(i ? ", " : " ") + name + "\t" + std::to_string(ReelboxPackCharsetAt(i));
    }
    return InOptionColumn(words + "; East Asian text goes by script (kana Japanese, hangul Korean, "
                                  "Han Simplified, then Traditional Chinese).");
}

const char* HelpTemplate() {
    return
        "tackon: packs an animated show onto the Reelbox player.\n"
        "\n"
        "Usage:\n"
        "  tackon --player reelbox.exe --animation a.gif [options] -o show.exe\n"
        "  tackon --info show.exe\n"
        "  tackon --extract show.exe DIR\n"
        "  tackon --check show.exe\n"
        "  tackon --help\n"
        "  tackon --version\n"
        "\n"
        "Packing writes the player, then the payloads and the package trailer, into the\n"
        "output file. The output appears only when it is complete; on any error nothing is\n"
        "written. An output that is the same file as an input other than the player, or a\n"
        "read-only one, is refused. Empty inputs and inputs over 250 MB are refused. Exit\n"
        "status: 0 on success, 2 for a command line that cannot be used, 1 otherwise.\n"
        "Packing ends with the same report as --check; a show with an error in it is not\n"
        "written.\n"
        "\n"
        "Packing options (each value may also be given as --option=value):\n"
        "  --player FILE        the player executable, a Windows program (required)\n"
        "  --animation FILE     the animation, a GIF87a/GIF89a file (required)\n"
        "  --message FILE       the message, an enhanced metafile (.emf) shown after the\n"
        "                       animation\n"
        "  --message-image FILE the message made from a PNG, JPEG, GIF (first frame) or BMP\n"
        "                       picture: fitted into the message square with its aspect\n"
        "                       kept, centred on the background colour. Pictures larger\n"
        "                       than 1080 pixels a side (the message square on a 4K screen)\n"
        "                       are scaled down to it; pictures over 50 megapixels are\n"
        "                       refused, and so are damaged ones (a GIF or JPEG cut short).\n"
        "                       tackon.exe reads them through Windows.\n"
        "  --message-background #RRGGBB\n"
        "                       colour around a --message-image picture; default #FFFFFF\n"
        "  --message-colour #RRGGBB\n"
        "                       the message is a plain card of this colour, so that the\n"
        "                       caption alone is the message\n"
        "                       (--message, --message-image and --message-colour exclude\n"
        "                       each other)\n"
        "  --caption TEXT       caption text written over the message, in UTF-8; it is\n"
        "                       converted to the Windows code page of the caption font's\n"
        "                       charset and must fit in 255 bytes there\n"
        "  --caption-file FILE  the caption read from a UTF-8 file (a byte-order mark is\n"
        "                       dropped, a final newline is kept); not together with\n"
        "                       --caption\n"
        "  --charset NAME|NUMBER\n"
        "@CHARSETS@"
        "                       NAME is one of ansi, easteurope, russian, greek, turkish,\n"
        "                       baltic, hebrew, arabic, vietnamese, thai, shiftjis, hangul,\n"
        "                       gb2312, chinesebig5, or a code page (1251, cp1251). Text no\n"
        "                       one code page holds is refused, naming the first character\n"
        "                       that does not fit. Hebrew, Arabic and Thai captions are\n"
        "                       converted and stored, but how the player draws them\n"
        "                       (right-to-left order included) is not proven.\n"
        "  --caption-style S    text: the caption is stored in a code page and the player\n"
        "                       draws it with the receiver's fonts, at the message's top\n"
        "                       left; picture: tackon draws it into the message picture\n"
        "                       (any script, emoji in colour, right-to-left text), for a\n"
        "                       --message-image or --message-colour message only (not in\n"
        "                       tackon.exe). Default: text when --charset is given or one\n"
        "                       code page holds the caption; picture when none does, when\n"
        "                       it is written right to left, or when --caption-position is\n"
        "                       not top-left\n"
        "  --caption-position CELL\n"
        "                       where a picture caption stands in the message: one of the\n"
        "                       cells below but random; default top-left. It wraps to the\n"
        "                       message's width less a margin\n"
        "  --no-caption-outline a picture caption without the outline that keeps it\n"
        "                       legible on any picture\n"
        "  --font SPEC          caption font \"Face,height[,bold][,italic]\": a face name of at\n"
        "                       most 31 bytes, stored in the caption's code page, and a\n"
        "                       non-zero height from -1000 to 1000\n"
        "                       (negative = character height in pixels, positive = cell\n"
        "                       height); default \"Arial,-24\" (weight 400, bold = 700). A\n"
        "                       picture caption is drawn at that height on a 540-pixel\n"
        "                       message, in proportion on others\n"
        "  --colour #RRGGBB     caption colour; default #000000 (black)\n"
        "  --logo FILE          the About dialog's logo, a GIF file\n"
        "  --sound FILE         background sound: a WAV (RIFF....WAVE) or MIDI (MThd) file,\n"
        "                       stored as it is, or an MP3, OGG Vorbis or FLAC file,\n"
        "                       converted to a 16-bit PCM WAV (tackon.exe accepts WAV and\n"
        "                       MIDI only). Decoded sounds may last 10 minutes at most.\n"
        "  --sound-quality Q    what an MP3, OGG or FLAC sound becomes: standard (22,050 Hz\n"
        "                       mono, about 2.6 MB a minute; the default), high (44,100 Hz\n"
        "                       mono, 5.3 MB a minute) or stereo (44,100 Hz stereo, 10.6 MB\n"
        "                       a minute)\n"
        "  --start CELL         cell where the animation window starts its slide\n"
        "  --end CELL           cell where it ends (and where the message window appears)\n"
        "@CELLS@"
        "  --about              show the About dialog with the logo when the show ends\n"
        "  --replace            the player already carries a package: strip it first\n"
        "                       (without --replace such a player is refused)\n"
        "  -o, --output FILE    the package to write (it may name the player itself)\n"
        "  --web-show FILE      also (or, without -o, only) write the show as one HTML file\n"
        "                       that plays in any current browser, on phones too, offline\n"
        "                       (see docs/web-show.md). Its template, reelbox-web-show.html\n"
        "                       from the web build (make web), is read from\n"
        "                       REELBOX_WEB_SHOW_TEMPLATE or from beside tackon\n"
        "\n"
        "Signing (the native tackon; osslsigncode must be on the PATH):\n"
        "  --sign               sign the show with Authenticode before it is written; the\n"
        "                       signed show is checked and only then put in place\n"
        "  --sign-pkcs12 FILE   the key and certificate as a PKCS#12 file (.p12, .pfx), or\n"
        "  --sign-key FILE --sign-cert FILE\n"
        "                       the key and the certificate (chain) as PEM files\n"
        "  --sign-password-file FILE, --sign-password-env NAME\n"
        "                       the key's password, from a file (a final newline is\n"
        "                       dropped) or an environment variable; never on the\n"
        "                       command line\n"
        "  --timestamp URL      an RFC 3161 time-stamp server, so that the signature stays\n"
        "                       valid after the certificate expires\n"
        "\n"
        "Other commands:\n"
        "  --info FILE          print the package trailer's fields and payload sizes, the\n"
        "                       caption in UTF-8 with its charset (shows that store charset\n"
        "                       1 are read as 1252, and say so; control characters are\n"
        "                       escaped), what the executable part is and whether the\n"
        "                       player accepts the package; exit status 0 when it does, 1 when it\n"
        "                       does not. A file without a package gets one line saying so.\n"
        "                       A signed show is read before its certificate table.\n"
        "  --extract FILE DIR   write the payloads into DIR (created when missing):\n"
        "                       animation.gif, message.emf, logo.gif, sound.wav or\n"
        "                       sound.mid, and caption.txt (UTF-8) when the caption is not\n"
        "                       empty. Files that exist are not replaced (nothing is\n"
        "                       written) unless --force is given.\n"
        "  --check FILE         how the player will treat a show: the animation's and logo's\n"
        "                       size, frames and playing time as the player's own decoder\n"
        "                       loads them, and whether the executable part is a Reelbox\n"
        "                       player; warnings (the show still plays) for frames the\n"
        "                       decoder's budgets cut, an animation larger than 1366 x 768,\n"
        "                       frames of delay 0, a caption without a message, a caption\n"
        "                       colour close to what lies under it, a text caption that\n"
        "                       needs an East Asian font, and a show over 10 MB; errors (it\n"
        "                       does not play as made) for no package, an executable part\n"
        "                       that is no Reelbox player, an animation whose logical screen\n"
        "                       is 0 or over 4096 pixels on a side or that is cut short, a\n"
        "                       message that is not a valid enhanced metafile, or a sound\n"
        "                       that is not RIFF/WAVE or MThd. Exit status 0 when the show\n"
        "                       plays, 1 when it does not.\n"
        "                       --info and --check also say whether the show is signed, by\n"
        "                       whom, and whether the signed digest covers the whole file\n"
        "                       (not whether the certificate is trusted; tackon.exe only\n"
        "                       reports the certificate table)\n"
        "  -h, --help           print this text\n"
        "\n"
        "The package layout is described in docs/package-format.md.\n";
}

}  // namespace

const char* HelpText() {
    static const std::string text = [] {
        std::string help = HelpTemplate();
        for (const auto& [mark, text] : {std::make_pair(std::string("@CELLS@"), CellsText()),
                                          std::make_pair(std::string("@CHARSETS@"), CharsetsText())})
            help.replace(help.find(mark), mark.size(), text);
        return help;
    }();
    return text.c_str();
}
