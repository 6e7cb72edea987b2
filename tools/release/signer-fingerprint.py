#!/usr/bin/python3
"""Prints the SHA-256 fingerprint of the certificate that made a detached
Authenticode signature (osslsigncode extract-signature -pem), in openssl's
form (AB:CD:...):

  tools/release/signer-fingerprint.py SIG.pem [--cert OUT.pem]

A signature carries its whole chain; the signer is the certificate whose
issuer and serial number the signature's SignerInfo names, not simply the
first one. --cert also writes that certificate.
"""
import base64
import hashlib
import re
import sys


def element(data, at):
    """(tag, start of contents, end) of the DER element at `at`."""
    tag, length = data[at], data[at + 1]
    at += 2
    if length & 0x80:
        count = length & 0x7F
        length = int.from_bytes(data[at:at + count], "big")
        at += count
    if at + length > len(data):
        raise ValueError("truncated DER")
    return tag, at, at + length


def children(data, start, end):
    while start < end:
        tag, body, stop = element(data, start)
        yield tag, start, body, stop
        start = stop


def signer_certificate(der):
    content_info = list(children(der, *element(der, 0)[1:]))  # contentType, [0] content
    _, _, wrapped, wrapped_end = content_info[1]
    (_, _, signed_body, signed_end), = children(der, wrapped, wrapped_end)
    parts = list(children(der, signed_body, signed_end))  # SignedData
    certs = [der[s:e] for tag, _, b, stop in parts if tag == 0xA0
             for _, s, _, e in children(der, b, stop)]
    (tag, _, infos_body, infos_end) = parts[-1]
    if tag != 0x31:
        raise ValueError("no SignerInfos")
    (_, _, info_body, info_end), *_ = children(der, infos_body, infos_end)
    _, sid, sid_body, sid_end = list(children(der, info_body, info_end))[1]
    issuer_and_serial = der[sid_body:sid_end]
    for cert in certs:
        _, cert_body, cert_end = element(cert, 0)
        _, tbs_body, tbs_end = element(cert, cert_body)
        fields = list(children(cert, tbs_body, tbs_end))
        if fields[0][0] == 0xA0:                          # explicit version
            fields = fields[1:]
        serial, issuer = fields[0], fields[2]
        if cert[issuer[1]:issuer[3]] + cert[serial[1]:serial[3]] == issuer_and_serial:
            return cert
    raise ValueError("the signature holds no certificate for its signer")


def main(argv):
    if len(argv) not in (1, 3) or (len(argv) == 3 and argv[1] != "--cert"):
        sys.exit(__doc__)
    text = open(argv[0], encoding="ascii").read()
    match = re.search(r"-----BEGIN PKCS7-----(.*?)-----END PKCS7-----", text, re.S)
    if not match:
        sys.exit(f"{argv[0]}: no PEM PKCS7 signature")
    try:
        cert = signer_certificate(base64.b64decode(match.group(1), validate=False))
    except (ValueError, IndexError) as error:
        sys.exit(f"{argv[0]}: cannot read the signature: {error}")
    if len(argv) == 3:
        body = base64.encodebytes(cert).decode().replace("\n", "")
        lines = [body[i:i + 64] for i in range(0, len(body), 64)]
        with open(argv[2], "w", encoding="ascii") as out:
            out.write("-----BEGIN CERTIFICATE-----\n" + "\n".join(lines) + "\n-----END CERTIFICATE-----\n")
    print(":".join(f"{b:02X}" for b in hashlib.sha256(cert).digest()))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
