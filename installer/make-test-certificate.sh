#!/usr/bin/env bash
# Makes a throwaway code-signing certificate and the root that issued it, for
# signing test builds: FOLDER/root.pem, FOLDER/signer.pem (the signer, then the
# root) and FOLDER/signer.key. Nothing made here is a real key; it is never committed.
# Usage: make-test-certificate.sh FOLDER [SUBJECT_NAME]
set -euo pipefail
folder=$1
name=${2:-Quorvane Test Signing}
mkdir -p "$folder"
cd "$folder"
umask 077

openssl req -x509 -newkey rsa:3072 -sha256 -days 3650 -nodes -subj "/O=Quorvane Test/CN=$name Root" \
  -keyout root.key -out root.pem \
  -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
openssl req -newkey rsa:3072 -sha256 -nodes -subj "/O=Quorvane Test/CN=$name" \
  -keyout signer.key -out signer.csr 2>/dev/null
printf '%s\n' "basicConstraints=critical,CA:FALSE" "keyUsage=critical,digitalSignature" \
  "extendedKeyUsage=codeSigning" "subjectKeyIdentifier=hash" "authorityKeyIdentifier=keyid" > signer.ext
openssl x509 -req -in signer.csr -CA root.pem -CAkey root.key -CAcreateserial -sha256 -days 1825 \
  -extfile signer.ext -out signer-only.pem 2>/dev/null
cat signer-only.pem root.pem > signer.pem
rm -f signer.csr signer.ext signer-only.pem root.srl root.key
