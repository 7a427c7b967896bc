#!/bin/sh
# Makes the demo lobby's own certificate, once: a self-signed certificate for
# 127.0.0.1 and localhost with its key, in the folder given (the server's
# state folder), as demo-cert.pem and demo-key.pem. A client trusts exactly
# this certificate with SALVIND_SERVER_CA=FOLDER/demo-cert.pem.
set -eu
folder=$1
cert="$folder/demo-cert.pem"
key="$folder/demo-key.pem"
[ -s "$cert" ] && [ -s "$key" ] && exit 0
mkdir -p "$folder"
chmod 700 "$folder"
umask 077
openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes \
  -keyout "$key.new" -out "$cert.new" -days 3650 -subj "/CN=Orva demo lobby" \
  -addext "subjectAltName=IP:127.0.0.1,DNS:localhost" 2>/dev/null
mv "$key.new" "$key"
mv "$cert.new" "$cert"
