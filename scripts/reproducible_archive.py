#!/usr/bin/env python3
"""Writes a .zip or .tar.gz of a folder whose bytes depend only on the files' contents, names
and executable bits: entries sorted by name, every time SOURCE_DATE_EPOCH, owner 0/0 without
names, fixed permissions (0755 for executables and folders, 0644 otherwise), no gzip name or
time. The archive holds the folder itself as its top entry.

Usage: reproducible_archive.py FOLDER OUTPUT.zip|OUTPUT.tar.gz
"""
import gzip
import io
import os
import sys
import tarfile
import time
import zipfile


def entries(folder):
    """(archive name, path, is_dir) for the folder and everything under it, sorted by name."""
    base = os.path.basename(os.path.normpath(folder))
    found = [(base + "/", folder, True)]
    for parent, dirs, files in os.walk(folder):
        rel = os.path.relpath(parent, folder)
        prefix = base + "/" if rel == "." else base + "/" + rel + "/"
        found += [(prefix + d + "/", os.path.join(parent, d), True) for d in dirs]
        found += [(prefix + f, os.path.join(parent, f), False) for f in files]
    return sorted(found)


def mode_of(path, is_dir):
    return 0o755 if is_dir or os.access(path, os.X_OK) else 0o644


def write_zip(folder, output, epoch):
    # ZIP times are local DOS times from 1980 on; the UTC fields of the epoch are stored.
    stamp = time.gmtime(max(epoch, 315532800))[:6]
    with zipfile.ZipFile(output, "w") as archive:
        for name, path, is_dir in entries(folder):
            info = zipfile.ZipInfo(name, stamp)
            info.create_system = 3
            info.external_attr = ((0o040000 if is_dir else 0o100000) | mode_of(path, is_dir)) << 16
            if is_dir:
                archive.writestr(info, b"")
            else:
                info.compress_type = zipfile.ZIP_DEFLATED
                with open(path, "rb") as f:
                    archive.writestr(info, f.read(), compresslevel=9)


def write_tar_gz(folder, output, epoch):
    raw = io.BytesIO()
    with tarfile.open(fileobj=raw, mode="w", format=tarfile.GNU_FORMAT) as archive:
        for name, path, is_dir in entries(folder):
            info = tarfile.TarInfo(name.rstrip("/"))
            info.mtime = epoch
            info.uid = info.gid = 0
            info.uname = info.gname = ""
            info.mode = mode_of(path, is_dir)
            if is_dir:
                info.type = tarfile.DIRTYPE
                archive.addfile(info)
            else:
                info.size = os.path.getsize(path)
                with open(path, "rb") as f:
                    archive.addfile(info, f)
    with open(output, "wb") as out:
        with gzip.GzipFile(filename="", mode="wb", fileobj=out, mtime=0, compresslevel=9) as z:
            z.write(raw.getvalue())


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    folder, output = sys.argv[1], sys.argv[2]
    epoch = int(os.environ.get("SOURCE_DATE_EPOCH", "0"))
    if any(os.path.islink(p) for _, p, _ in entries(folder)):
        sys.exit(f"reproducible_archive: {folder} holds a symbolic link")
    if output.endswith(".zip"):
        write_zip(folder, output, epoch)
    elif output.endswith(".tar.gz"):
        write_tar_gz(folder, output, epoch)
    else:
        sys.exit(f"reproducible_archive: unknown archive kind {output}")


if __name__ == "__main__":
    main()
