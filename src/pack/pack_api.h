/* The packing core's C-callable surface: everything needed to build a show from ordinary
 * inputs and to check a show before it is sent. Used by tackon, tackon.exe and the web page.
 *
 * The core is portable: no file system, no console, no platform headers, no outside
 * libraries. Callers read files and decode pictures and sounds themselves and hand in bytes,
 * RGBA pixels and float samples; they get the finished show back as bytes.
 *
 * Conventions: every operation on a packer answers 1 (done) or 0 (refused); after a 0,
 * ReelboxPackError gives a one-line reason (for an input, without naming it: "not a GIF
 * (...)", so that the caller can say which file it was). Byte and text pointers handed in are copied;
 * pointers handed out stay valid until the next call on the same packer or its release.
 * Text is UTF-8. Colours are 0xRRGGBB.
 */
#pragma once

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The largest message square a common screen gives (half of a 4K screen's height): bigger
 * pictures are scaled down to this side before they are stored. */
#define REELBOX_PACK_MESSAGE_SIDE 1080
/* Pictures with more pixels than this are refused before decoding. */
#define REELBOX_PACK_PICTURE_PIXEL_BUDGET 50000000
/* The show size above which a warning says mail services may refuse it. */
#define REELBOX_PACK_SIZE_WARNING 10000000
/* The sound written from samples when the caller asks for no particular rate. */
#define REELBOX_PACK_SOUND_RATE 22050
/* Sounds given as samples may play for at most this many seconds; longer ones are refused
 * (callers ask before decoding, from the length a file's header states). */
#define REELBOX_PACK_SOUND_SECONDS_LIMIT 600
/* Input files larger than this are refused before they are read. */
#define REELBOX_PACK_FILE_SIZE_LIMIT 250000000LL
/* Charset value meaning "choose the first charset that holds the whole caption". */
#define REELBOX_PACK_CHARSET_AUTO (-1)

typedef struct ReelboxPacker ReelboxPacker;

ReelboxPacker* ReelboxPackCreate(void);
/* Releases the packer and everything it handed out; a null packer is ignored. */
void ReelboxPackFree(ReelboxPacker* packer);
/* The reason for the last refusal; "" when the last operation succeeded. */
const char* ReelboxPackError(const ReelboxPacker* packer);

/* --- Inputs ------------------------------------------------------------------------------ */
/* The player executable: a Windows program (MZ and PE headers), refused otherwise. A player
 * that already carries a package is refused unless replace is 1, in which case that package
 * is cut off. */
int ReelboxPackSetPlayer(ReelboxPacker* packer, const unsigned char* bytes, size_t size,
                         int replace);
/* The animation and the logo: GIF files as they are. An animation the player would not
 * show, or a damaged one, is refused when the show is built. */
int ReelboxPackSetAnimation(ReelboxPacker* packer, const unsigned char* bytes, size_t size);
int ReelboxPackSetLogo(ReelboxPacker* packer, const unsigned char* bytes, size_t size);

/* The message, one of three ways; the last call wins.
 * An enhanced metafile as it is: */
int ReelboxPackSetMessageMetafile(ReelboxPacker* packer, const unsigned char* bytes,
                                  size_t size);
/* A picture of width x height RGBA pixels (4 bytes a pixel, rows top-down, no padding),
 * fitted into the message square with its aspect kept, centred on the background colour and
 * scaled down to REELBOX_PACK_MESSAGE_SIDE. Transparent pixels show the background. */
int ReelboxPackSetMessagePicture(ReelboxPacker* packer, const unsigned char* rgba, int width,
                                 int height, unsigned background);
/* A plain card of one colour, so that the caption alone is the message. */
int ReelboxPackSetMessageColour(ReelboxPacker* packer, unsigned colour);
/* 1 when width x height is within REELBOX_PACK_PICTURE_PIXEL_BUDGET; callers ask before
 * decoding. Needs no packer. */
int ReelboxPackPictureWithinBudget(long long width, long long height);
/* 1 when the player shows a GIF with this logical screen (1 to 4096 pixels a side): the one
 * rule the player, the checks and the packer apply. Needs no packer. */
int ReelboxPackScreenIsShowable(long long width, long long height);
/* For a picture the caller decodes: 0 when a GIF or JPEG file is damaged, its bytes ending
 * inside the image so that its lower part would be missing (the error says so); 1 for a whole
 * one and for other formats. Callers ask before decoding. */
int ReelboxPackPictureIsWhole(ReelboxPacker* packer, const unsigned char* bytes, size_t size);

/* The sound, one of two ways; the last call wins.
 * A WAV (RIFF/WAVE) or MIDI (MThd) file, stored as it is: */
int ReelboxPackSetSoundFile(ReelboxPacker* packer, const unsigned char* bytes, size_t size);
/* Decoded samples (frameCount frames of channels interleaved floats in -1..1 at sampleRate),
 * written as a 16-bit PCM WAV at outputRate (0 = REELBOX_PACK_SOUND_RATE) with
 * outputChannels (1 or 2). Refused beyond REELBOX_PACK_SOUND_SECONDS_LIMIT. */
/* 1 when a sound of frameCount frames at sampleRate is short enough to be packed; callers
 * ask with the length a file's header states before they decode it. */
int ReelboxPackSoundLengthAccepted(ReelboxPacker* packer, long long frameCount, int sampleRate);
int ReelboxPackSetSoundSamples(ReelboxPacker* packer, const float* samples, size_t frameCount,
                               int channels, int sampleRate, int outputRate,
                               int outputChannels);

/* The caption in UTF-8, converted to the Windows code page of charset (a LOGFONT charset
 * number, or REELBOX_PACK_CHARSET_AUTO). Refused when a character does not fit, the error
 * naming it, or when the converted text is longer than 255 bytes. An empty text removes
 * the caption. */
int ReelboxPackSetCaption(ReelboxPacker* packer, const char* utf8, int charset);
/* The charset the caption was stored in (meaningful after ReelboxPackSetCaption). */
int ReelboxPackCaptionCharset(const ReelboxPacker* packer);
/* Caption font and colour; height as in LOGFONT (negative = character height in pixels),
 * non-zero and within REELBOX_PACK_FONT_HEIGHT_LIMIT either way. The face is stored in the caption's code page (Western without a caption); a face that
 * does not fit there, or in REELBOX_PACK_FACE_NAME_BYTES, is refused when the show is
 * built. */
int ReelboxPackSetFont(ReelboxPacker* packer, const char* face, int height, int bold,
                       int italic);
int ReelboxPackSetCaptionColour(ReelboxPacker* packer, unsigned colour);
/* Placement cells (see below), REELBOX_PACK_RANDOM_CELL for random; the About dialog at the
 * end when showAbout is 1. */
int ReelboxPackSetPlacement(ReelboxPacker* packer, int startCell, int endCell);
int ReelboxPackSetAbout(ReelboxPacker* packer, int showAbout);

/* --- Picture captions ------------------------------------------------------------------- */
/* A caption is stored as text (drawn by the player in the receiver's fonts, see
 * ReelboxPackSetCaption) or drawn by the caller into the message picture. */
#define REELBOX_PACK_CAPTION_TEXT 0
#define REELBOX_PACK_CAPTION_PICTURE 1
/* The style a caption placed in cell (0..8 of the message) gets by default: text when
 * charset is not REELBOX_PACK_CHARSET_AUTO or one code page holds it, picture when none does, when it is written right to left or when it
 * stands away from the top left (cell 1). ReelboxPackCaptionStyleReason then says why. */
int ReelboxPackDefaultCaptionStyle(ReelboxPacker* packer, const char* utf8, int charset, int cell);
const char* ReelboxPackCaptionStyleReason(const ReelboxPacker* packer);
/* 1 when the caption's paragraph runs right to left (its first letter that has a direction is
 * Hebrew, Arabic...); the caller lays it out that way. Needs no packer. */
int ReelboxPackCaptionRightToLeft(const char* utf8);
/* The message square to draw a picture caption on, RGBA (opaque, top-down), *side pixels a
 * side: the message picture or a colour card of REELBOX_PACK_CAPTION_CARD_SIDE. Null (with
 * the reason) when the message is a metafile given as it is, or there is none. */
#define REELBOX_PACK_CAPTION_CARD_SIDE 1080
const unsigned char* ReelboxPackCaptionCanvas(ReelboxPacker* packer, int* side);
/* How a caption is laid out on a square of side pixels, into frame[0..6]: the font's
 * character height in pixels (fontHeight as in LOGFONT scaled from a 540-pixel square), the
 * margin, the width to wrap to, the outline width (0 when outline is 0), the outline colour
 * 0xRRGGBB, and the place's column and row 0..2 (left, centre, right; top, middle, bottom)
 * for a placement cell 0..8. Lines align by the column. Needs no packer. */
void ReelboxPackCaptionFrame(int side, int fontHeight, int outline, unsigned colour, int cell,
                             int* frame);
/* The top of a text block blockHeight pixels high, placed by the cell's row. */
int ReelboxPackCaptionBlockTop(int side, int cell, int blockHeight);
/* The canvas of ReelboxPackCaptionCanvas with the caption drawn on it; the pixels that differ
 * are the caption. It replaces a text caption (the last call wins); a new message drops it. */
int ReelboxPackSetCaptionPicture(ReelboxPacker* packer, const unsigned char* rgba, int side);
/* The message picture a show holds, when its metafile is of the kind this packer builds:
 * RGBA, *side pixels a side, before the player's stretching. Null otherwise. */
const unsigned char* ReelboxPackMessagePixels(ReelboxPacker* packer, const unsigned char* show,
                                              size_t size, int* side);

/* --- Building and checking --------------------------------------------------------------- */
/* Builds the show from the inputs and checks it. 1 when the show is built: the player would
 * play it (warnings allowed). 0 when an input is missing or a check found an error; the
 * findings are then in the report. */
int ReelboxPackBuild(ReelboxPacker* packer);
/* The built show; null (size 0) until a build succeeded. */
const unsigned char* ReelboxPackOutput(const ReelboxPacker* packer, size_t* size);

/* Checks a finished show as the player would treat it: 1 when it plays, 0 when it does not.
 * The findings replace those of any earlier build or check. */
int ReelboxPackCheck(ReelboxPacker* packer, const unsigned char* show, size_t size);

/* The findings of the last build or check. Facts (sizes, frames, playing time) are lines of
 * kind 0; warnings (the show still plays) kind 1; errors (the player would not play it)
 * kind 2. */
#define REELBOX_PACK_FACT 0
#define REELBOX_PACK_WARNING 1
#define REELBOX_PACK_ERROR 2
int ReelboxPackFindingCount(const ReelboxPacker* packer);
int ReelboxPackFindingKind(const ReelboxPacker* packer, int index);
const char* ReelboxPackFindingText(const ReelboxPacker* packer, int index);
/* All findings as one text, a line each: "  text", "warning: text" or "error: text". */
const char* ReelboxPackReport(const ReelboxPacker* packer);

/* What the executable part of a show (or a player) is, as one line: "a Reelbox player,
 * version 1.2.0", "a Windows program, but not a Reelbox player (...)" or "not a Windows
 * program (...)". */
const char* ReelboxPackDescribePlayer(ReelboxPacker* packer, const unsigned char* bytes,
                                      size_t size);

/* --- The author's choices, one table each (shared by tackon and the page) ------------------- */
/* Cells: the nine on the screen grid and random, whose stored number is this. */
#define REELBOX_PACK_RANDOM_CELL 9
#define REELBOX_PACK_FONT_HEIGHT_LIMIT 1000
#define REELBOX_PACK_FACE_NAME_BYTES 31
/* How many cells there are, random included; the name of a cell number ("centre",
 * "top-left", ..., "random"; "" for no cell); a cell number from its name or its digit (-1
 * when unknown); the cell at a grid position, row and column 0..2 from the top left (-1
 * outside the grid). None needs a packer. */
int ReelboxPackCellCount(void);
const char* ReelboxPackCellName(int cell);
int ReelboxPackCellFromName(const char* name);
int ReelboxPackCellAt(int row, int column);
/* The charsets a caption can be stored in, in the order they are tried: index 0 up to
 * ReelboxPackCharsetCount() - 1; ReelboxPackCharsetName names each. Needs no packer. */
int ReelboxPackCharsetCount(void);
int ReelboxPackCharsetAt(int index);
/* REELBOX_PACK_FONT_HEIGHT_LIMIT and the caption's longest length in bytes (255), for callers
 * that cannot read this header's macros (the page). Need no packer. */
int ReelboxPackFontHeightLimit(void);
int ReelboxPackCaptionByteLimit(void);

/* --- Web shows ------------------------------------------------------------------------- */
/* The backdrop of a web show when none is chosen: a calm blue. */
#define REELBOX_PACK_WEB_BACKDROP 0x3A6EA5
/* The web show of a built show (as ReelboxPackOutput gives it): the template the web build
 * writes, filled with the show's package and a backdrop of backdropColour, or of a PNG or
 * JPEG picture (picture null for none). Null when refused; *size receives the length. */
const unsigned char* ReelboxPackWebShow(ReelboxPacker* packer, const unsigned char* htmlTemplate,
                                        size_t templateSize, const unsigned char* show,
                                        size_t showSize, unsigned backdropColour,
                                        const unsigned char* picture, size_t pictureSize,
                                        size_t* size);

/* The picture a message metafile made by this core (a picture or a colour card) shows:
 * RGBA pixels at the metafile's own size, rows top-down. Null when the metafile holds
 * other drawing, which only Windows plays; the reason is then in ReelboxPackError. */
const unsigned char* ReelboxPackDrawMessage(ReelboxPacker* packer, const unsigned char* metafile,
                                           size_t size, int* width, int* height);

/* --- Captions of stored shows ------------------------------------------------------------ */
/* The caption bytes of a package read back as UTF-8 in the code page of charset. Charsets
 * without a table of their own (DEFAULT_CHARSET = 1 of older shows among them) are read as
 * Windows-1252; *readAs (when not null) receives the charset actually used. */
const char* ReelboxPackCaptionToUtf8(ReelboxPacker* packer, const unsigned char* bytes,
                                     size_t size, int charset, int* readAs);
/* A charset by name ("russian", "EASTEUROPE", "cp1251", "1251") or number ("204"); -1 when
 * unknown. Needs no packer. */
int ReelboxPackCharsetFromName(const char* name);
/* "Western (1252)", "Cyrillic (1251)"...; "unknown" for charsets without a table. */
const char* ReelboxPackCharsetName(int charset);

#ifdef __cplusplus
}
#endif
