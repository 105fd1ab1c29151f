"""A local SMTP server for the mail tests.

Listens on 127.0.0.1 on a free port and prints one JSON object per line on
stdout: first {"event": "ready", "port": N}, then {"event": "auth", ...} for
every AUTH command, {"event": "command", "verb": ..., "tls": ...} for every
command received (its verb only, so no login data is printed),
{"event": "message", ...} for every message accepted,
with the envelope, the raw data and the message as decoded by Python's email
package. Every line written to its stdin is answered with {"event": "synced"}.
Ends when stdin closes or after a safety time-out.

  smtp_server.py [--auth USER:PASSWORD] [--auth-optional] [--starttls DIR | --implicit-tls DIR]

With --auth the server offers AUTH on the plain connection and requires a
login before MAIL unless --auth-optional is given. With --starttls the server
offers STARTTLS with a self-signed certificate for 127.0.0.1 that it writes to
DIR/cert.pem (the ready record names it), so a client can be told to trust it;
with --implicit-tls the connection is TLS from its first byte, with the same
certificate.
"""

import argparse
import asyncio
import datetime
import email
import email.policy
import functools
import ipaddress
import json
import os
import ssl
import sys

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword

SAFETY_TIMEOUT_SECONDS = 300


def emit(record):
    sys.stdout.write(json.dumps(record) + "\n")
    sys.stdout.flush()


def decode_message(raw):
    message = email.message_from_bytes(raw, policy=email.policy.default)
    from_header = message["From"]
    from_name = ""
    from_address = ""
    if from_header is not None and from_header.addresses:
        from_name = from_header.addresses[0].display_name
        from_address = from_header.addresses[0].addr_spec
    to_header = message["To"]
    to_addresses = [a.addr_spec for a in to_header.addresses] if to_header is not None else []
    body = ""
    text_body = ""
    parts = []
    if message.is_multipart():
        # The HTML part stands for the body; the plain-text one is reported beside it.
        parts = [part.get_content_type() for part in message.walk() if not part.is_multipart()]
        html = message.get_body(preferencelist=("html",))
        plain = message.get_body(preferencelist=("plain",))
        body = html.get_content() if html is not None else ""
        text_body = plain.get_content() if plain is not None else ""
    else:
        body = message.get_content()
    return {
        "subject": str(message["Subject"] or ""),
        "from_name": from_name,
        "from_address": from_address,
        "to": to_addresses,
        "date": str(message["Date"] or ""),
        "message_id": str(message["Message-ID"] or ""),
        "mime_version": str(message["MIME-Version"] or ""),
        "content_type": message.get_content_type(),
        "charset": message.get_content_charset() or "",
        "transfer_encoding": str(message["Content-Transfer-Encoding"] or ""),
        "header_names": [name for name, _ in message.items()],
        "defects": [type(d).__name__ for d in message.defects],
        "body": body,
        "text_body": text_body,
        "parts": parts,
    }


class Recorder:
    async def handle_DATA(self, server, session, envelope):
        raw = envelope.original_content or envelope.content
        lines = raw.split(b"\r\n")
        emit({
            "event": "message",
            "mail_from": envelope.mail_from,
            "rcpt_tos": list(envelope.rcpt_tos),
            "authenticated": bool(session.authenticated),
            "tls": session.ssl is not None,
            "login": session.auth_data.login.decode("utf-8", "replace")
            if isinstance(session.auth_data, LoginPassword) else "",
            "raw": raw.decode("utf-8", "replace"),
            "max_line_octets": max(len(line) for line in lines) if lines else 0,
            "bare_lf": b"\n" in raw.replace(b"\r\n", b""),
            "decoded": decode_message(raw),
        })
        return "250 Message accepted for delivery"


class RecordingSMTP(SMTP):
    def __init__(self, *args, **kwargs):
        super().__init__(*args, **kwargs)
        # Every command is logged before it is handled, whatever its outcome.
        self._smtp_methods = {verb: self._logged(verb, method) for verb, method in self._smtp_methods.items()}

    def _logged(self, verb, method):
        @functools.wraps(method)
        async def logged(arg):
            emit({"event": "command", "verb": verb,
                  "tls": self.transport is not None and self.transport.get_extra_info("ssl_object") is not None})
            return await method(arg)
        return logged

    async def smtp_STARTTLS(self, arg):
        emit({"event": "starttls"})
        return await super().smtp_STARTTLS(arg)

    async def smtp_AUTH(self, arg):
        emit({"event": "auth", "mechanism": (arg or "").split(" ")[0].upper()})
        return await super().smtp_AUTH(arg)


def make_authenticator(user, password):
    def authenticator(server, session, envelope, mechanism, auth_data):
        ok = (isinstance(auth_data, LoginPassword)
              and auth_data.login.decode() == user and auth_data.password.decode() == password)
        emit({"event": "auth_result", "success": ok})
        # A refused login must be left unhandled, or no reply is sent at all.
        return AuthResult(success=True, auth_data=auth_data) if ok else AuthResult(success=False, handled=False)
    return authenticator


def make_tls_context(folder):
    from cryptography import x509
    from cryptography.hazmat.primitives import hashes, serialization
    from cryptography.hazmat.primitives.asymmetric import ec
    from cryptography.x509.oid import NameOID

    key = ec.generate_private_key(ec.SECP256R1())
    name = x509.Name([x509.NameAttribute(NameOID.COMMON_NAME, "127.0.0.1")])
    now = datetime.datetime.now(datetime.timezone.utc)
    cert = (x509.CertificateBuilder()
            .subject_name(name).issuer_name(name).public_key(key.public_key())
            .serial_number(x509.random_serial_number())
            .not_valid_before(now - datetime.timedelta(minutes=5))
            .not_valid_after(now + datetime.timedelta(days=1))
            .add_extension(x509.SubjectAlternativeName([x509.IPAddress(ipaddress.ip_address("127.0.0.1"))]),
                           critical=False)
            .add_extension(x509.BasicConstraints(ca=True, path_length=None), critical=True)
            .sign(key, hashes.SHA256()))
    cert_path = os.path.join(folder, "cert.pem")
    key_path = os.path.join(folder, "key.pem")
    with open(cert_path, "wb") as f:
        f.write(cert.public_bytes(serialization.Encoding.PEM))
    with open(key_path, "wb") as f:
        f.write(key.private_bytes(serialization.Encoding.PEM, serialization.PrivateFormat.PKCS8,
                                  serialization.NoEncryption()))
    context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    context.load_cert_chain(cert_path, key_path)
    return context, cert_path


async def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--auth", default="")
    parser.add_argument("--auth-optional", action="store_true")
    parser.add_argument("--starttls", default="")
    parser.add_argument("--implicit-tls", default="")
    args = parser.parse_args()

    options = {}
    ready = {"event": "ready"}
    if args.auth:
        user, _, password = args.auth.partition(":")
        options = {
            "authenticator": make_authenticator(user, password),
            "auth_required": not args.auth_optional,
            "auth_require_tls": False,
        }
    if args.starttls:
        options["tls_context"], ready["cert"] = make_tls_context(args.starttls)
    server_tls = None
    if args.implicit_tls:
        server_tls, ready["cert"] = make_tls_context(args.implicit_tls)

    loop = asyncio.get_running_loop()
    handler = Recorder()
    server = await loop.create_server(lambda: RecordingSMTP(handler, **options), host="127.0.0.1", port=0,
                                      ssl=server_tls)
    ready["port"] = server.sockets[0].getsockname()[1]
    emit(ready)

    stdin_closed = loop.create_future()

    # Each line on stdin is answered with {"event": "synced"}: everything the
    # server printed before it has been printed by then.
    def read_stdin():
        data = sys.stdin.buffer.read1(4096)
        if not data:
            if not stdin_closed.done():
                stdin_closed.set_result(True)
            return
        for _ in range(data.count(b"\n")):
            emit({"event": "synced"})

    loop.add_reader(sys.stdin.fileno(), read_stdin)
    try:
        await asyncio.wait_for(stdin_closed, SAFETY_TIMEOUT_SECONDS)
    except asyncio.TimeoutError:
        pass
    server.close()


if __name__ == "__main__":
    asyncio.run(main())
