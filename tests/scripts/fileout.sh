#!/usr/bin/env bash
# EncodeBase64, DecodeBase64 and GenerateQR through COM, from VBScript and JScript: the scripts
# check results and errors, this driver the bytes of the files they leave.
source "$(dirname "$0")/common.sh"

# size_of FILE - its size in bytes; fails when it does not exist.
size_of() {
  [[ -f "$1" ]] || fail "$1 was not written"
  stat -c %s "$1"
}

# The scripts write into their current directory; nothing else may appear there.
mkdir "$WORK/out"
cd "$WORK/out"
# N, a, n, d, u acute, blank, euro sign, blank, U+1F600 in UTF-8, for the scripts in UTF-16
# with a byte-order mark.
utf8=$'\xC3\x91and\xC3\xBA \xE2\x82\xAC \xF0\x9F\x98\x80'
printf '\xEF\xBB\xBF%s' "$utf8" | iconv -f UTF-8 -t UTF-16LE >text.utf16
run_script fileout.vbs "file outputs written"
run_script fileout.js "file outputs written"
names=$(LC_ALL=C ls -A | tr '\n' ' ')
[[ "$names" == "hello.txt qr-a.bmp qr-empty.bmp text-js.b64 text.b64 text.bin text.utf16 " ]] || fail "the folder holds: $names"
pass "failed calls write nothing"

python3 - qr-a.bmp <<'PY' || fail "qr-a.bmp is not the QR code of A"
import struct, sys
data = open(sys.argv[1], "rb").read()
assert data[:2] == b"BM" and struct.unpack_from("<I", data, 2)[0] == len(data), "file header"
offset, = struct.unpack_from("<I", data, 10)
width, height, planes, bits, compression = struct.unpack_from("<iiHHI", data, 18)
assert (width, height, bits, compression) == (29, 29, 32, 0), (width, height, bits, compression)
assert len(data) == offset + 29 * 29 * 4, len(data)
def black(x, y):  # rows are stored bottom-up
    pixel = offset + ((height - 1 - y) * width + x) * 4
    return data[pixel:pixel + 3] == b"\0\0\0"
assert black(4, 4), "pixel (4, 4) is not black"
margin = [(x, y) for x in range(29) for y in range(29) if min(x, y) < 4 or max(x, y) > 24]
assert not any(black(x, y) for x, y in margin), "the light margin has black pixels"
PY
pass "GenerateQR of A writes a 29 x 29 BMP with a black pixel (4, 4)"
[[ $(size_of qr-empty.bmp) == 0 ]] || fail "GenerateQR of the empty text wrote $(size_of qr-empty.bmp) bytes"
pass "GenerateQR of the empty text writes an empty file"

for encoded in text.b64 text-js.b64; do
  [[ $(<$encoded) == w5FhbmTDuiDigqwg8J+YgA== ]] || fail "$encoded holds $(<$encoded)"
done
printf %s "$utf8" | cmp -s - text.bin || fail "text.bin holds $(od -An -tx1 text.bin)"
[[ $(<hello.txt) == Hello ]] || fail "hello.txt holds $(<hello.txt)"
pass "Base64 round trip of non-ASCII text through its UTF-8 bytes"

# A relative path is taken against the server's current directory, not the caller's. Under
# Wine, COM starts the server with the current directory of the client that started it
# (Windows would start it in the system folder): the holder starts it in server-cwd, and
# another client in caller-cwd writes through it.
driver wait-processes Bramolt.exe 0 30 || fail "a server is still running"
mkdir "$WORK/server-cwd" "$WORK/caller-cwd"
cd "$WORK/server-cwd"
start_client holder
holder=$CLIENT_PID
cd "$WORK/caller-cwd"
run_script fileout-relative.vbs "relative path written"
release_client holder "$holder"
[[ $(<"$WORK/server-cwd/relative.b64") == cmVsYXRpdmU= ]] || fail "relative.b64 is not in the server's directory"
[[ -z $(ls -A "$WORK/caller-cwd") ]] || fail "the caller's directory holds: $(ls -A "$WORK/caller-cwd")"
pass "a relative path is written in the server's current directory"

driver wait-processes Bramolt.exe 0 30 || fail "the COM-started server outlived its clients"
