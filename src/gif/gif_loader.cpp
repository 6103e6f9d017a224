// GifLoader: maps a GIF file and hands its bytes to the parser. The frames keep copies of
// everything they need, so the mapping is closed before GifLoader returns.
#include "gif/gif_loader.h"

#include "gif/file_mapping.h"

LoadedGif GifLoader(const PathChar* path) {
    MappedFile mapped;
    if (!MapWholeFile(path, &mapped))
        return LoadedGif{};
    LoadedGif result = GifLoadBytes(mapped.data, mapped.size);
    UnmapWholeFile(&mapped);
    return result;
}
