#!/bin/sh
# Signs copies of one PE file the ways the publisher check's tests need:
#   sign_packages.sh INPUT OUTDIR
# OUTDIR receives publisher.key.txt (the pinned key's SHA-256 in hex) and
# signed.exe, unsigned.exe, other-key.exe, flipped.exe, cut.exe,
# expired.exe, bad-signature.exe, timestamped-expired.exe (an expired
# certificate with a time stamp from inside its validity) and
# timestamp-late.exe (a time stamp after the end of the validity).
set -eu
in=$1
out=$2
rm -rf "$out.tmp"
mkdir -p "$out.tmp"
cd "$out.tmp"

cat > ca.cnf <<'CNF'
[ca]
default_ca = test_ca
[test_ca]
dir = .
database = ./index.txt
new_certs_dir = ./issued
serial = ./serial
default_md = sha256
policy = any
x509_extensions = signer
unique_subject = no
[any]
commonName = supplied
organizationName = optional
[signer]
basicConstraints = CA:FALSE
keyUsage = critical, digitalSignature
extendedKeyUsage = codeSigning
[tsa]
basicConstraints = CA:FALSE
keyUsage = critical, digitalSignature
extendedKeyUsage = critical, timeStamping
CNF
: > index.txt
echo 1000 > serial
mkdir issued

openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 7300 \
  -subj "/CN=Quillon Test CA" -set_serial 1 2>/dev/null
issue() {  # name key start end extensions subject
  openssl req -new -key "$2" -out "$1.csr" -subj "$6" 2>/dev/null
  openssl ca -batch -config ca.cnf -cert ca.pem -keyfile ca.key -in "$1.csr" -out "$1.pem" \
    -startdate "$3" -enddate "$4" -extensions "$5" -notext 2>/dev/null
  cat "$1.pem" ca.pem > "$1.chain.pem"
}
for k in publisher other tsa; do openssl genrsa -out "$k.key" 2048 2>/dev/null; done
issue publisher publisher.key 20200101000000Z 20450101000000Z signer "/CN=Quillon Test Publisher/O=TarVixSoft"
issue other other.key 20200101000000Z 20450101000000Z signer "/CN=Someone Else/O=Elsewhere"
issue expired publisher.key 20200101000000Z 20210101000000Z signer "/CN=Quillon Test Publisher/O=TarVixSoft"
issue tsa tsa.key 20100101000000Z 20450101000000Z tsa "/CN=Quillon Test Time Stamps"

openssl pkey -in publisher.key -pubout -outform DER | openssl dgst -sha256 -r | cut -c1-64 > publisher.key.txt

sign() {  # out cert extra...
  o=$1 c=$2
  shift 2
  osslsigncode sign -certs "$c.chain.pem" -key "$( [ "$c" = other ] && echo other || echo publisher).key" \
    -h sha256 -n "Quillon" "$@" -in "$in" -out "$o" >/dev/null
}
cp "$in" unsigned.exe
sign signed.exe publisher
sign other-key.exe other
sign expired.exe expired
# 2020-07-01 lies inside the expired certificate's validity, 2022-01-01 after it.
sign timestamped-expired.exe expired -TSA-certs tsa.chain.pem -TSA-key tsa.key -TSA-time 1593561600
sign timestamp-late.exe expired -TSA-certs tsa.chain.pem -TSA-key tsa.key -TSA-time 1640995200

size=$(wc -c < signed.exe)
# One byte of the image (inside the first section), after signing.
cp signed.exe flipped.exe
printf '\125' | dd of=flipped.exe bs=1 seek=520 conv=notrunc 2>/dev/null
# The certificate table cut short: its last 100 bytes are gone.
head -c $((size - 100)) signed.exe > cut.exe
# One byte of the signature value itself (the SignedData ends in it).
cp signed.exe bad-signature.exe
printf '\125' | dd of=bad-signature.exe bs=1 seek=$((size - 40)) conv=notrunc 2>/dev/null

cd ..
rm -rf "$out"
mv "$out.tmp" "$out"
