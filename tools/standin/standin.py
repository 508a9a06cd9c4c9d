#!/usr/bin/env python3
"""Stand-in for the Quillbay web service, on loopback, for tests and demos.

    standin.py --certs DIR [--port 443] [--control-port N] [--http-port N] [--db PATH]

DIR is what tools/env/make-test-ca.sh produced. Prints "ready" once every server
listens; stops on SIGTERM or SIGINT. See README.md for the control API.
"""
import argparse
import os
import signal
import ssl
import sys
import threading

from accounts import AccountStore
from commandscript import CommandScript
from controlapi import ControlServer
from state import ServiceState
from webservice import WebServer

CERTIFICATES = {"good": "server", "wronghost": "wronghost", "untrusted": "untrusted",
                "expired": "expired"}


def parse_arguments():
    parser = argparse.ArgumentParser(description="Stand-in for the Quillbay web service.")
    parser.add_argument("--certs", required=True, help="directory made by make-test-ca.sh")
    parser.add_argument("--port", type=int, default=443, help="HTTPS port (443)")
    parser.add_argument("--control-port", type=int,
                        default=int(os.environ.get("QB_CONTROL_PORT") or 8444),
                        help="control API port ($QB_CONTROL_PORT or 8444)")
    parser.add_argument("--http-port", type=int, default=0,
                        help="also serve the member pages over plain HTTP on this port")
    parser.add_argument("--db", default=":memory:", help="SQLite file (default: in memory)")
    return parser.parse_args()


def load_contexts(directory):
    contexts = {}
    for name, base in CERTIFICATES.items():
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(os.path.join(directory, base + ".pem"),
                                os.path.join(directory, base + ".key"))
        contexts[name] = context
    return contexts


def start(server):
    thread = threading.Thread(target=server.serve_forever, args=(0.1,), daemon=True)
    thread.start()
    return thread


def main():
    args = parse_arguments()
    try:
        contexts = load_contexts(args.certs)
    except (OSError, ssl.SSLError) as error:
        sys.exit(f"standin: cannot load certificates from {args.certs}: {error}")

    store = AccountStore(args.db)
    state = ServiceState(store, contexts)
    script = CommandScript(store, state.record_sent)
    try:
        servers = [WebServer(args.port, state, script, secure=True),
                   ControlServer(args.control_port, state)]
        if args.http_port > 0:
            servers.append(WebServer(args.http_port, state, script, secure=False))
    except OSError as error:
        sys.exit(f"standin: cannot listen: {error}")

    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    signal.signal(signal.SIGINT, lambda *_: stop.set())
    threads = [start(server) for server in servers]
    print("ready", flush=True)

    stop.wait()
    for server in servers:
        server.shutdown()
        server.server_close()
    for thread in threads:
        thread.join()
    store.close()


if __name__ == "__main__":
    main()
