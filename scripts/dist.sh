#!/usr/bin/env bash
# make dist: the release archives, built from the current commit in fresh build trees, into
# out/dist/:
#   reelbox-VERSION-windows-x64.zip   reelbox.exe, tackon.exe, README.md, LICENSE, docs/,
#                                     a sample show, the notices of linked-in libraries,
#                                     and the web show template tackon --web-show reads
#   reelbox-VERSION-linux-x64.tar.gz  the native tackon (static picture libraries where Debian
#                                     ships them, any other library beside it in lib/),
#                                     README.md, LICENSE, docs/, notices, the web show template
#   reelbox-VERSION-web.zip           the web page, when the tree has a `make web`
#   SHA256SUMS
# VERSION is the CMake project version. The archives depend only on the commit: the sources
# are exported from git, SOURCE_DATE_EPOCH is the commit time, build paths are mapped out of
# the programs, the PE headers carry no time, and archive entries are sorted with fixed times
# and owners (scripts/reproducible_archive.py). scripts/dist-check.sh builds twice and compares.
# Environment: DIST_WORK (build folder, default build/dist), DIST_OUT (default out/dist),
# DIST_COMMIT (default HEAD).
set -euo pipefail

ROOT="$(cd "$(dirname "$0")/.." && pwd)"
WORK="${DIST_WORK:-$ROOT/build/dist}"
OUT="${DIST_OUT:-$ROOT/out/dist}"
JOBS="${JOBS:-2}"
say() { echo "dist: $*"; }
die() { echo "dist: $*" >&2; exit 1; }

commit=$(git -C "$ROOT" rev-parse "${DIST_COMMIT:-HEAD}^{commit}")
SOURCE_DATE_EPOCH=$(git -C "$ROOT" log -1 --format=%ct "$commit")
export SOURCE_DATE_EPOCH
git -C "$ROOT" diff --quiet HEAD -- || say "note: uncommitted changes are not in the release"
say "building commit $commit (SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH) in $WORK"

rm -rf "$WORK"
mkdir -p "$WORK/source" "$OUT"
git -C "$ROOT" archive --format=tar "$commit" | tar -x -C "$WORK/source"
SRC="$WORK/source"

# The presets' Release configuration is what ships (CMakeLists.txt).
(cd "$SRC" && cmake --preset windows -B "$WORK/windows" -DREELBOX_NATIVE_BUILD="$WORK/native" \
  -DREELBOX_TEST_ENV="$WORK/env" >/dev/null)
cmake --build "$WORK/windows" -j "$JOBS" --target reelbox tackon
(cd "$SRC" && cmake --preset native -B "$WORK/native" -DREELBOX_PREFER_STATIC_LIBS=ON \
  -DREELBOX_WINDOWS_BUILD="$WORK/windows" -DREELBOX_TEST_ENV="$WORK/env" >/dev/null)
cmake --build "$WORK/native" -j "$JOBS" --target tackon

version=$(sed -n 's/^#define REELBOX_VERSION "\(.*\)"$/\1/p' "$WORK/windows/generated/reelbox_version.h")
[ -n "$version" ] || die "no version in the build's reelbox_version.h"
player="$WORK/windows/src/app/reelbox.exe"
tackon_exe="$WORK/windows/tools/tackon/tackon.exe"
tackon="$WORK/native/tools/tackon/tackon"

# The version the programs report is the archives' version.
[ "$("$tackon" --version)" = "tackon $version" ] || die "tackon --version is not 'tackon $version'"
resources=$(x86_64-w64-mingw32-windres -i "$player" -O rc)
grep -q "VALUE \"FileVersion\", \"$version\"" <<<"$resources" ||
  die "reelbox.exe's version block is not $version"
"$SRC/tests/release/check_player.sh" "$player" "$WORK/windows/src/app/reelbox.map" 81920 \
  x86_64-w64-mingw32-objdump >/dev/null || die "the player fails its release check"

debian_package() {  # the package that installed a file, when it has a copyright file
  local package
  package=$(dpkg -S "$(realpath "$1")" 2>/dev/null | head -1 | cut -d: -f1) || true
  if [ -n "$package" ] && [ -f "/usr/share/doc/$package/copyright" ]; then echo "$package"; fi
}

# notices MAP... DIR: the Debian copyright file of every package whose static library a link
# map shows linked in, as DIR/PACKAGE.copyright.
notices() {
  local dir="${*: -1}" maps=("${@:1:$#-1}") archive package
  for archive in $(grep -ohE '/usr/[^ ()]+\.a\(' "${maps[@]}" | sed 's/($//' | sort -u); do
    package=$(debian_package "$archive")
    if [ -n "$package" ]; then
      mkdir -p "$dir"
      cp -L "/usr/share/doc/$package/copyright" "$dir/$package.copyright"
    fi
  done
}

common_files() {  # common_files DIR: README, licence and documentation
  cp "$SRC/README.md" "$SRC/LICENSE" "$1/"
  cp -r "$SRC/docs" "$1/docs"
}

rm -f "$OUT"/reelbox-*.zip "$OUT"/reelbox-*.tar.gz "$OUT/SHA256SUMS"
stage="$WORK/stage"
rm -rf "$stage"
mkdir -p "$stage"

# Windows: the programs, the documents and a sample show.
win="$stage/reelbox-$version-windows-x64"
mkdir -p "$win/samples"
cp "$player" "$tackon_exe" "$win/"
common_files "$win"
notices "$WORK/windows/src/app/reelbox.map" "$WORK/windows/tools/tackon/tackon.map" "$win/licenses"
"$SRC/scripts/make-demo-gif.sh" "$win/samples/sample.gif"
"$tackon" --player "$player" --animation "$win/samples/sample.gif" --about \
  --start top-left --end bottom-right -o "$win/samples/sample-show.exe"
"$tackon" --info "$win/samples/sample-show.exe" >/dev/null || die "the sample show does not check"

# Linux: the native tackon. Libraries without a static archive go into lib/ beside it (its
# run path looks there); everything else it needs must be the C and C++ runtimes.
lin="$stage/reelbox-$version-linux-x64"
mkdir -p "$lin"
cp "$tackon" "$lin/"
common_files "$lin"
runtime='^(linux-vdso|ld-linux-x86-64|libc|libm|libstdc\+\+|libgcc_s|libpthread|libdl|librt)\.so'
ldd "$tackon" | awk '$2 == "=>" && $3 ~ /^\// {print $1, $3}' | while read -r soname path; do
  if ! [[ "$soname" =~ $runtime ]]; then
    mkdir -p "$lin/lib"
    cp -L "$path" "$lin/lib/$soname"
    package=$(debian_package "$path")
    if [ -n "$package" ]; then
      mkdir -p "$lin/licenses"
      cp -L "/usr/share/doc/$package/copyright" "$lin/licenses/$package.copyright"
    fi
  fi
done
notices "$WORK/native/tools/tackon/tackon.map" "$lin/licenses"

# The web page, carrying this release's player; its web show template goes beside each
# tackon, which reads it from there for --web-show.
web=""
if [ -f "$SRC/web/CMakeLists.txt" ]; then
  (cd "$SRC" && cmake --preset web -B "$WORK/web" -DREELBOX_PLAYER="$player" >/dev/null)
  cmake --build "$WORK/web" -j "$JOBS"
  web="$stage/reelbox-$version-web"
  rm -rf "$web"
  cp -r "$WORK/web/page" "$web"
  cp "$web/reelbox-web-show.html" "$win/"
  cp "$web/reelbox-web-show.html" "$lin/"
fi

python3 "$SRC/scripts/reproducible_archive.py" "$win" "$OUT/reelbox-$version-windows-x64.zip"
python3 "$SRC/scripts/reproducible_archive.py" "$lin" "$OUT/reelbox-$version-linux-x64.tar.gz"

# The Linux tackon in a clean root that holds nothing but the C and C++ runtimes copied from
# this system: it must pack the sample show there exactly as it did here.
say "the Linux tackon's libraries:"
ldd "$tackon" | sed 's/^/  /'
if [ "$(id -u)" = 0 ]; then
  clean="$WORK/clean-root"
  rm -rf "$clean"
  mkdir -p "$clean/lib/x86_64-linux-gnu" "$clean/lib64" "$clean/tmp"
  for lib in libc.so.6 libm.so.6 libstdc++.so.6 libgcc_s.so.1; do
    cp -L "/lib/x86_64-linux-gnu/$lib" "$clean/lib/x86_64-linux-gnu/"
  done
  cp -L /lib64/ld-linux-x86-64.so.2 "$clean/lib64/"
  tar -xzf "$OUT/reelbox-$version-linux-x64.tar.gz" -C "$clean"
  cp "$player" "$win/samples/sample.gif" "$clean/tmp/"
  # The loader finds lib/ through $ORIGIN, which it reads from /proc: the root gets its own
  # /proc, mounted in a private namespace that goes away with the run.
  mkdir -p "$clean/proc"
  env -i "$(command -v unshare)" --mount --pid --fork --mount-proc="$clean/proc" \
    "$(command -v chroot)" "$clean" "/reelbox-$version-linux-x64/tackon" --player /tmp/reelbox.exe \
    --animation /tmp/sample.gif --about --start top-left --end bottom-right -o /tmp/show.exe ||
    die "the Linux tackon does not run in a root with only the C and C++ runtimes"
  cmp -s "$clean/tmp/show.exe" "$win/samples/sample-show.exe" ||
    die "the Linux tackon packed a different show in the clean root"
  say "the Linux tackon packed the sample show in a root with only the C and C++ runtimes"
  rm -rf "$clean"
else
  say "note: not root, so the run in a clean root is skipped"
fi

if [ -n "$web" ]; then
  python3 "$SRC/scripts/reproducible_archive.py" "$web" "$OUT/reelbox-$version-web.zip"
fi

(cd "$OUT" && sha256sum reelbox-"$version"-* > SHA256SUMS)
say "archives in $OUT:"
(cd "$OUT" && ls -l reelbox-"$version"-* SHA256SUMS | awk '{print "  " $5 "  " $9}')
