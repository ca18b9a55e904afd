#!/usr/bin/env bash
# Builds the small Windows executables the icon tests edit: a 32-bit and a
# 64-bit one, each with two icon groups (four images), plus the .ico files
# they were built from and "logo.ico", whose images match two of the four;
# and "plain32.exe", which has no resources at all. The resource compiler
# preprocesses with the host's cpp.
# The outputs are committed; run this only to rebuild them. It installs the
# cross binutils it needs for itself.
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$here/tests/updater/fixtures}"
mkdir -p "$out"

if ! command -v i686-w64-mingw32-windres >/dev/null || ! command -v x86_64-w64-mingw32-windres >/dev/null; then
    apt-get update
    apt-get install -y binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Icon files: classic BITMAPINFOHEADER images (no PNG), each filled with its
# own pattern so a test sees which bytes moved.
/usr/bin/python3 - "$work" "$out" <<'PY'
import struct, sys
work, out = sys.argv[1], sys.argv[2]

def image(width, height, bits, seed):
    entries = 1 << bits if bits <= 8 else 0
    palette = b"".join(struct.pack("<BBBB", (i * 7 + seed) & 255, (i * 13 + seed) & 255,
                                   (i * 29 + seed) & 255, 0) for i in range(entries))
    stride = (bits * width + 31) // 32 * 4
    colour = bytes(((r * 31 + c * 17 + seed) & 255) for r in range(height) for c in range(stride))
    mstride = (width + 31) // 32 * 4
    mask = bytes((0x0F ^ seed) & 255 for _ in range(height * mstride))
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, bits, 0, len(colour) + len(mask),
                         0, 0, 0, 0)
    return header + palette + colour + mask

def ico(path, images):
    count = len(images)
    directory = b""
    data = b""
    offset = 6 + 16 * count
    for width, height, bits, body in images:
        colours = (1 << bits) if bits < 8 else 0
        directory += struct.pack("<BBBBHHII", width & 255, height & 255, colours, 0, 1, bits,
                                 len(body), offset + len(data))
        data += body
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, count) + directory + data)

def imgs(spec, seed):
    return [(w, h, b, image(w, h, b, seed + i)) for i, (w, h, b) in enumerate(spec)]

# The executables' own icons: group 1 and group 2.
ico(f"{out}/app1.ico", imgs([(16, 16, 4), (32, 32, 8)], 1))
ico(f"{out}/app2.ico", imgs([(16, 16, 32), (32, 32, 4)], 11))
# The replacement: two images match group 1; 48x48 is the largest and
# matches nothing.
ico(f"{out}/logo.ico", imgs([(16, 16, 4), (32, 32, 8), (48, 48, 32)], 101))
PY

cat > "$work/icons.rc" <<EOF2
1 ICON "$out/app1.ico"
2 ICON "$out/app2.ico"
EOF2

build() { # triplet output entry-symbol [no-icons]
    local t="$1" exe="$2" entry="$3" icons="$work/icons.o"
    printf '    .text\n    .globl %s\n%s:\n    ret\n' "$entry" "$entry" >"$work/start.s"
    "$t-as" -o "$work/start.o" "$work/start.s"
    "$t-windres" --preprocessor=cpp -i "$work/icons.rc" -o "$work/icons.o"
    if [ "${4:-}" = no-icons ]; then
        icons=""
    fi
    "$t-ld" --no-insert-timestamp --subsystem windows -e "$entry" -o "$out/$exe" "$work/start.o" $icons
    "$t-strip" "$out/$exe"
}
build i686-w64-mingw32 icons32.exe _start
build x86_64-w64-mingw32 icons64.exe start
build i686-w64-mingw32 plain32.exe _start no-icons
ls -l "$out"
