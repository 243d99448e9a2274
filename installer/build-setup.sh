#!/usr/bin/env bash
# Builds the signed setup program: signs copies of Quorvane.exe and qvcli.exe with
# the test certificate (made on first use in OUT/signing), writes the setup's texts
# from the string table, and runs makensis, which signs the uninstaller and the
# setup as it writes them. Leaves OUT/qvsetup.exe and OUT/stage/.
# Usage: build-setup.sh OUT BIN_FOLDER VERSION
# QV_SIGNING_FOLDER: another folder of the certificate (a test signs a second setup
# with the first one's).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
out=$(mkdir -p "$1" && cd "$1" && pwd)
bin=$2
version=$3

signing=${QV_SIGNING_FOLDER:-$out/signing}
[ -f "$signing/signer.key" ] || "$here/make-test-certificate.sh" "$signing"

stage="$out/stage"
rm -rf "$stage"
mkdir -p "$stage"
for program in Quorvane.exe qvcli.exe; do
  # Without debug information: the setup carries what users run.
  x86_64-w64-mingw32-strip -o "$stage/$program" "$bin/$program"
  "$here/sign-file.sh" "$signing" "$stage/$program"
done

# The IDS_SETUP_ texts as NSIS language strings. The setup's wizard is English
# (its one MUI language), so it takes the English table.
strings="$out/setup_strings.nsh"
{
  echo "; Made by build-setup.sh from res/strings.en"
  for table in "$root"/res/strings.en; do
    case ${table##*.} in
      en) language=ENGLISH ;;
      *) echo "build-setup.sh: no NSIS language for $table" >&2; exit 1 ;;
    esac
    sed -n 's/^\(IDS_SETUP_[A-Z0-9_]*\)[ \t]*"\(.*\)"[ \t]*$/\1 \2/p' "$table" |
      sed -e 's/\$/$$/g' -e 's/\\r/$\\r/g' -e 's/\\n/$\\n/g' -e 's/\\"/$\\"/g' -e 's/\\\\/\\/g' |
      while read -r name text; do echo "LangString $name \${LANG_$language} \"$text\""; done
  done
} > "$strings"

# The wizard's pictures from the program's logo and mark, on the logo's own colour:
# the header (150 x 57) and the side of the finish page (164 x 314).
background=$(convert "$root/res/gui/logo.bmp" -format '%[pixel:p{0,0}]' info:)
convert "$root/res/gui/logo.bmp" -resize 146x53 -background "$background" -gravity center -extent 150x57 \
  -type TrueColor "BMP3:$out/header.bmp"
convert "$root/res/gui/mark.png" -resize 120x120 -background "$background" -gravity center -extent 164x314 \
  -flatten -type TrueColor "BMP3:$out/side.bmp"

cd "$here"
makensis -V2 -NOCD -DQV_VERSION="$version" -DQV_STAGE="$stage" -DQV_OUT="$out/qvsetup.exe" \
  -DQV_RES="$root/res" -DQV_PICTURES="$out" -DQV_STRINGS="$strings" -DQV_SIGN="\"$here/sign-file.sh\" \"$signing\"" quorvane.nsi
