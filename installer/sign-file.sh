#!/usr/bin/env bash
# Signs a Windows program in place with a SHA-256 Authenticode signature made with
# the certificate in FOLDER (make-test-certificate.sh). No time stamp: a time-stamp
# authority is a network service, and the build works offline.
# Usage: sign-file.sh FOLDER FILE
set -euo pipefail
folder=$1
file=$2
signed="$file.signing"
rm -f "$signed"
osslsigncode sign -certs "$folder/signer.pem" -key "$folder/signer.key" -h sha256 \
  -n "Quorvane" -i "https://www.quorvane.com/" -in "$file" -out "$signed" >/dev/null
mv -f "$signed" "$file"
