"""The control API for tests: plain HTTP on loopback, JSON in, plain text out.

JSON strings stand for byte strings: code point U+00XX is byte 0xXX, and
anything above U+00FF is refused.
"""
import json
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import parse_qs, urlsplit

from accounts import generated_contacts
from state import CONNECTION_FAULTS, CUT_MODES, FAULTS, FRAMINGS, ScriptedAnswer


class ControlServer(ThreadingHTTPServer):
    daemon_threads = True
    request_queue_size = 64

    def __init__(self, port, state):
        self.state = state
        super().__init__(("127.0.0.1", port), ControlHandler)


def byte_text(value, name, allow_none=False):
    if value is None and allow_none:
        return None
    if isinstance(value, (int, float)) and not isinstance(value, bool):
        value = str(value)
    if not isinstance(value, str):
        raise ValueError(f"{name}: expected a string")
    if any(ord(c) > 0xFF for c in value):
        raise ValueError(f"{name}: only code points U+0000..U+00FF are allowed")
    return value


def integer(request, name, default):
    value = request.get(name, default)
    if isinstance(value, bool) or not isinstance(value, int):
        raise ValueError(f"{name}: expected an integer")
    return value


def choice(request, name, allowed):
    value = request.get(name, allowed[0])
    if value not in allowed:
        raise ValueError(f"{name}: expected one of {', '.join(allowed)}")
    return value


def contact_from_json(item):
    if not isinstance(item, dict):
        raise ValueError("contacts: expected objects")
    return (byte_text(item.get("id"), "id"), byte_text(item.get("fn", ""), "fn"),
            byte_text(item.get("ln"), "ln", allow_none=True), byte_text(item.get("cn", ""), "cn"))


def answer_from_json(request):
    answer = ScriptedAnswer(
        body=byte_text(request.get("body", ""), "body").encode("latin-1"),
        status=integer(request, "status", 200),
        framing=choice(request, "framing", FRAMINGS),
        delay_ms=integer(request, "delay_ms", 0),
        cut_after=integer(request, "cut_after", -1),
        cut_mode=choice(request, "cut_mode", CUT_MODES),
        size=integer(request, "size", -1),
        page404=bool(request.get("page404", False)),
        repeat=integer(request, "repeat", 1),
        location=byte_text(request.get("location", ""), "location"),
        fault=choice(request, "fault", FAULTS))
    if not 100 <= answer.status <= 999 or answer.repeat < 1 or answer.delay_ms < 0:
        raise ValueError("status must be 100..999, repeat at least 1, delay_ms not negative")
    return answer


def tab_line(*fields):
    return "\t".join(fields) + "\n"


class ControlHandler(BaseHTTPRequestHandler):
    server_version = "standin-control"

    def do_GET(self):
        self._dispatch({
            "/requests": self._get_requests,
            "/sent": self._get_sent,
            "/account": self._get_account,
            "/connection": self._get_pending_connection_faults,
        })

    def do_POST(self):
        self._dispatch({
            "/reset": self._reset,
            "/account": self._put_account,
            "/answer": self._queue_answer,
            "/certificate": self._use_certificate,
            "/connection": self._queue_connection_fault,
            "/requests/clear": self._clear_requests,
            "/hold": self._hold_request,
            "/release": self._release,
        })

    def log_message(self, format, *args):
        pass  # tests make thousands of calls; stderr is for real problems

    @property
    def state(self):
        return self.server.state

    def _dispatch(self, routes):
        url = urlsplit(self.path)
        handler = routes.get(url.path)
        if handler is None:
            self._reply(404, "no such endpoint\n")
            return
        try:
            self._reply(200, handler(url))
        except LookupError as error:
            self._reply(404, f"{error}\n")
        except ValueError as error:  # includes malformed JSON
            self._reply(400, f"{error}\n")

    def _reply(self, status, text):
        body = text.encode("latin-1")
        self.send_response(status)
        self.send_header("Content-Type", "text/plain; charset=ISO-8859-1")
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.write(body)

    def _json(self):
        length = int(self.headers.get("Content-Length") or 0)
        raw = self.rfile.read(length) if length > 0 else b""
        request = json.loads(raw) if raw.strip() else {}
        if not isinstance(request, dict):
            raise ValueError("expected a JSON object")
        return request

    def _reset(self, url):
        self.state.reset()
        return "OK\n"

    def _put_account(self, url):
        request = self._json()
        if "generate" in request:
            contacts = generated_contacts(integer(request, "generate", 0))
        else:
            contacts = [contact_from_json(item) for item in request.get("contacts", [])]
        self.state.store.put_account(
            byte_text(request.get("email"), "email"),
            byte_text(request.get("password", ""), "password"),
            byte_text(request.get("credits", ""), "credits"),
            bool(request.get("cannot_provide", False)),
            contacts)
        return "OK\n"

    def _queue_answer(self, url):
        self.state.queue_answer(answer_from_json(self._json()))
        return "OK\n"

    def _queue_connection_fault(self, url):
        request = self._json()
        fault = request.get("fault")
        if fault not in CONNECTION_FAULTS:
            raise ValueError(f"fault: expected one of {', '.join(CONNECTION_FAULTS)}")
        repeat = integer(request, "repeat", 1)
        if repeat < 1:
            raise ValueError("repeat must be at least 1")
        self.state.queue_connection_fault(fault, repeat)
        return "OK\n"

    def _get_pending_connection_faults(self, url):
        return f"{self.state.pending_connection_faults()}\n"

    def _use_certificate(self, url):
        name = self._json().get("cert")
        if name not in self.state.certificate_names():
            raise ValueError(f"cert: expected one of {', '.join(self.state.certificate_names())}")
        self.state.use_certificate(name)
        return "OK\n"

    def _hold_request(self, url):
        after = integer(self._json(), "after", 0)
        if after < 0:
            raise ValueError("after must not be negative")
        self.state.hold_request(after)
        return "OK\n"

    def _release(self, url):
        self.state.release()
        return "OK\n"

    def _clear_requests(self, url):
        self.state.clear_requests()
        return "OK\n"

    def _get_requests(self, url):
        return "".join(
            tab_line(r.method, r.path, r.headers.hex(), r.body.hex())
            for r in self.state.requests())

    def _get_sent(self, url):
        return "".join(
            tab_line(message.encode("latin-1").hex(), numbers)
            for message, numbers in self.state.sent())

    def _get_account(self, url):
        email = parse_qs(url.query, encoding="latin-1").get("email", [""])[0]
        account = self.state.store.account(email)
        if account is None:
            raise LookupError(f"no account {email}")
        lines = [account[0] + "\n"]
        for id_, fn, ln, cn in self.state.store.contacts(email):
            lines.append(tab_line(id_, fn, "\\N" if ln is None else ln, cn))
        return "".join(lines)
