#!/usr/bin/env bash
# make_test_certificates.sh FOLDER: a throw-away certificate authority
# (ca.pem) and server certificates signed by it, for the TLS tests:
#   localhost.pem/.key   names localhost and 127.0.0.1
#   other.pem/.key       names other.example only
#   untrusted.pem/.key   names localhost, but signed by nobody the tests trust
#   address-only.pem/.key  common name localhost, but only 127.0.0.1 as an
#                        alternative name: it names no host
#   expired.pem/.key     names localhost, but its time ended yesterday
set -euo pipefail
cd "$1"
quiet() { "$@" >/dev/null 2>&1; }
quiet openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Kelvinor Test CA" \
    -keyout ca.key -out ca.pem -addext "basicConstraints=critical,CA:TRUE" \
    -addext "keyUsage=critical,keyCertSign,cRLSign"
issue() {
    local name=$1 names=$2 common=${3:-$1} days=${4:-2}
    quiet openssl req -newkey rsa:2048 -nodes -subj "/CN=$common" -keyout "$name.key" -out "$name.csr"
    printf 'subjectAltName=%s\nextendedKeyUsage=serverAuth\n' "$names" >"$name.ext"
    quiet openssl x509 -req -in "$name.csr" -CA ca.pem -CAkey ca.key -CAcreateserial -days "$days" \
        -extfile "$name.ext" -out "$name.pem"
}
issue localhost "DNS:localhost,IP:127.0.0.1"
issue other "DNS:other.example"
issue address-only "IP:127.0.0.1" localhost
# Valid from now until a day ago: expired whenever it is checked.
issue expired "DNS:localhost,IP:127.0.0.1" localhost -1
quiet openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=localhost" \
    -addext "subjectAltName=DNS:localhost,IP:127.0.0.1" -keyout untrusted.key -out untrusted.pem
