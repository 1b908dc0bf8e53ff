#!/usr/bin/python3
"""A real SMTP server for the tests, on a free local port it prints first.

Usage: servidor_smtp.py FOLDER [--usuario U --clave C] [--tls CERT KEY]
Each accepted message N is kept as N.eml, its attachments as N-I.pdf and what a test reads of it
as N.json (written last, whole). Recipients whose name starts with "rechazado" are refused with
550; with --usuario, mail is taken only after logging in; with --tls, only after STARTTLS.
"""
import argparse
import email
import email.policy
import json
import os
import pathlib
import socket
import ssl
import sys
import warnings

warnings.simplefilter("ignore")
from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult, LoginPassword


class Guardar:
    def __init__(self, carpeta):
        self.carpeta = carpeta
        self.n = 0

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address.split("@")[0].startswith("rechazado"):
            return f"550 5.1.1 <{address}>: Recipient address rejected: User unknown"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        self.n += 1
        base = self.carpeta / f"{self.n:03d}"
        base.with_suffix(".eml").write_bytes(envelope.original_content)
        msg = email.message_from_bytes(envelope.original_content, policy=email.policy.default)
        adjuntos = []
        for i, parte in enumerate(msg.iter_attachments()):
            archivo = f"{base}-{i}.pdf"
            pathlib.Path(archivo).write_bytes(parte.get_content())
            adjuntos.append({"nombre": parte.get_filename(), "tipo": parte.get_content_type(),
                             "archivo": archivo})
        datos = {"remitente": envelope.mail_from, "destinatarios": envelope.rcpt_tos,
                 "from": str(msg["From"]), "to": str(msg["To"]), "asunto": str(msg["Subject"]),
                 "replyTo": str(msg.get("Reply-To", "")), "date": str(msg.get("Date", "")),
                 "cuerpo": msg.get_body(("plain",)).get_content(), "adjuntos": adjuntos}
        temporal = base.with_suffix(".tmp")
        temporal.write_text(json.dumps(datos), encoding="utf-8")
        os.rename(temporal, base.with_suffix(".json"))
        return "250 2.0.0 Ok: queued"


def puerto_libre():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def main():
    p = argparse.ArgumentParser()
    p.add_argument("carpeta")
    p.add_argument("--usuario")
    p.add_argument("--clave")
    p.add_argument("--tls", nargs=2)
    a = p.parse_args()
    opciones = {}
    if a.usuario:
        def autenticar(server, session, envelope, mechanism, auth_data):
            ok = (isinstance(auth_data, LoginPassword) and auth_data.login.decode() == a.usuario
                  and auth_data.password.decode() == a.clave)
            return AuthResult(success=ok, handled=False)
        opciones.update(authenticator=autenticar, auth_required=True,
                        auth_require_tls=bool(a.tls))
    if a.tls:
        contexto = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        contexto.load_cert_chain(*a.tls)
        opciones.update(tls_context=contexto, require_starttls=True)
    puerto = puerto_libre()
    servidor = Controller(Guardar(pathlib.Path(a.carpeta)), hostname="127.0.0.1", port=puerto,
                          **opciones)
    servidor.start()
    print(puerto, flush=True)
    try:
        while sys.stdin.read(1):
            pass
    finally:
        servidor.stop()


if __name__ == "__main__":
    main()
