"""The service's web host: the command script and two member pages over HTTPS,
optionally the pages over plain HTTP as well.

Requests and answers are handled on raw sockets rather than with http.server,
because tests need the request exactly as received and answers that a normal
server would never produce (cut short, odd framing, delayed).
"""
import fcntl
import http
import itertools
import select
import socket
import socketserver
import ssl
import struct
import sys
import termios
import time
from dataclasses import dataclass

from state import GeneratedBody, RecordedRequest

COMMAND_PATH = "/scripts/orvexconsole/command.php"
REGISTER_PATH = "/pages/member/quillbay/register/register.php"
PAYMENT_PATH = "/pages/member/quillbay/user/pay/memberpage_payment.php"

PAGES = {
    REGISTER_PATH: b"<html><head><title>Quillbay - Register</title></head><body>"
                   b"<h1>Become a Quillbay member</h1><p>Registration form.</p></body></html>",
    PAYMENT_PATH: b"<html><head><title>Quillbay - Buy credit</title></head><body>"
                  b"<h1>Buy message credit</h1><p>Payment form.</p></body></html>",
}
NOT_FOUND_PAGE = (b"<html><head><title>404 Not Found</title></head><body><h1>Not Found</h1>"
                  b"<p>The requested URL was not found on this server.</p></body></html>")

IO_TIMEOUT = 30.0
# A held request is answered at the latest after this, so that no test can hang on it.
HOLD_TIMEOUT = 120.0
LINGER_TIMEOUT = 2.0
MAX_HEADER_BYTES = 64 * 1024
# Deliberately uneven, so chunk edges fall on and across a reader's 1024-byte buffer.
CHUNK_SIZES = (700, 1, 1500, 333, 1024, 4096)
TEXT = "text/plain; charset=ISO-8859-1"
HTML = "text/html; charset=ISO-8859-1"


@dataclass
class Response:
    status: int
    content_type: str
    body: bytes
    framing: str = "length"
    delay_ms: int = 0
    cut_after: int = -1
    cut_mode: str = "reset"
    location: str = ""
    fault: str = "none"


def scripted_response(answer):
    if answer.page404:
        body, status, content_type = NOT_FOUND_PAGE, 404, HTML
    else:
        body = GeneratedBody(answer.size) if answer.size >= 0 else answer.body
        status, content_type = answer.status, TEXT
    return Response(status, content_type, body, answer.framing, answer.delay_ms,
                    answer.cut_after, answer.cut_mode, answer.location, answer.fault)


class WebServer(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True
    request_queue_size = 64

    def __init__(self, port, state, script, secure):
        self.state, self.script, self.secure = state, script, secure
        super().__init__(("127.0.0.1", port), ConnectionHandler)

    def get_request(self):
        sock, address = super().get_request()
        if self.secure:
            # The context current at accept time, so a certificate switch applies
            # from the next connection on; the handshake runs in the handler thread.
            sock = self.state.current_context().wrap_socket(
                sock, server_side=True, do_handshake_on_connect=False)
        return sock, address

    def shutdown_request(self, request):
        # The handler has already ended the connection the way its answer required.
        request.close()


class ConnectionHandler(socketserver.BaseRequestHandler):
    def handle(self):
        conn = self.request
        conn.settimeout(IO_TIMEOUT)
        fault = self.server.state.take_connection_fault() if self.server.secure else None
        if fault == "stall":
            hold(conn)
            return
        if self.server.secure and not self._handshake(conn):
            return
        if fault == "close_after_handshake":
            close_gracefully(conn)
            return
        request = read_request(conn)
        if request is None:
            return
        if self.server.secure:
            self.server.state.record_request(request)
        response = self._respond(request)
        if response.fault == "stall":
            hold(conn)
        elif response.fault == "reset_before_headers":
            abort(conn, "reset")
        elif send_response(conn, response):
            close_gracefully(conn)
        else:
            abort(conn, response.cut_mode)

    def _handshake(self, conn):
        try:
            conn.do_handshake()
            return True
        except (ssl.SSLError, OSError) as error:
            print(f"standin: TLS handshake with {self.client_address[0]}:"
                  f"{self.client_address[1]} failed: {error}", file=sys.stderr, flush=True)
            return False

    def _respond(self, request):
        path = request.path.partition("?")[0]
        if self.server.secure and path == COMMAND_PATH:
            self.server.state.wait_if_held(HOLD_TIMEOUT)
            answer = self.server.state.take_answer()
            if answer is not None:
                return scripted_response(answer)
            return Response(200, TEXT, self.server.script.answer(request.body))
        if path in PAGES:
            return Response(200, HTML, PAGES[path])
        return Response(404, HTML, NOT_FOUND_PAGE)


def read_request(conn):
    """The next request, or None when the peer left before its header block ended."""
    data = b""
    try:
        while b"\r\n\r\n" not in data:
            chunk = conn.recv(65536)
            if not chunk or len(data) > MAX_HEADER_BYTES:
                return None
            data += chunk
        line_end = data.index(b"\r\n")
        head_end = data.index(b"\r\n\r\n")
        request_line = data[:line_end].decode("latin-1")
        headers = data[line_end + 2:head_end + 2]
        body = data[head_end + 4:]
        length = content_length(headers)
        if len(body) < length and b"100-continue" in header_value(headers, b"expect").lower():
            conn.sendall(b"HTTP/1.1 100 Continue\r\n\r\n")
        while len(body) < length:
            chunk = conn.recv(min(length - len(body), 1 << 20))
            if not chunk:
                break  # recorded as far as it came
            body += chunk
    except (OSError, ValueError):
        return None
    method, _, rest = request_line.partition(" ")
    path = rest.partition(" ")[0]
    return RecordedRequest(method, path, headers, body[:length])


def header_value(headers, name):
    for line in headers.split(b"\r\n"):
        key, _, value = line.partition(b":")
        if key.strip().lower() == name:
            return value.strip()
    return b""


def content_length(headers):
    value = header_value(headers, b"content-length")
    return int(value) if value.isdigit() else 0


def send_response(conn, response):
    """Writes the answer; False when it was cut short and the connection must be dropped."""
    time.sleep(response.delay_ms / 1000)
    head = [f"HTTP/1.1 {response.status} {reason_phrase(response.status)}",
            f"Content-Type: {response.content_type}"]
    # A stalled or dripping answer names no length, so the client cannot know it is
    # whole; one that stalls mid-body announces all of it and sends a part.
    if response.framing == "length" and response.fault in ("none", "stall_mid_body"):
        head.append(f"Content-Length: {len(response.body)}")
    elif response.framing == "chunked":
        head.append("Transfer-Encoding: chunked")
    if response.location:
        head.append(f"Location: {response.location}")
    head.append("Connection: close")
    try:
        if response.fault == "no_status_line":
            conn.sendall(response.body)  # the body alone, ended by the connection
            return True
        if response.fault == "drip_headers":
            conn.sendall((head[0] + "\r\n").encode("latin-1"))
            drip(conn, b"X-Slow: 1\r\n")  # a header block that never ends
            return False
        conn.sendall(("\r\n".join(head) + "\r\n\r\n").encode("latin-1"))
        if response.fault == "stall_after_headers":
            hold(conn)
            return False
        if response.fault == "drip":
            drip(conn, response.body or b" ")
            return False
        if response.fault == "stall_mid_body":
            send_body(conn, response.body, response.framing, max(response.cut_after, 1))
            hold(conn)
            return False
        send_body(conn, response.body, response.framing, response.cut_after)
    except OSError:
        return False
    return response.cut_after < 0


SEND_PIECE = 1 << 20


def send_body(conn, body, framing, cut_after):
    if framing == "chunked":
        send_chunked(conn, body, cut_after)
        return
    limit = len(body) if cut_after < 0 else min(cut_after, len(body))
    for offset in range(0, limit, SEND_PIECE):
        conn.sendall(body[offset:min(offset + SEND_PIECE, limit)])


HOLD_SECONDS = 300.0
DRIP_SECONDS = 1.0


def hold(conn):
    """Sends nothing more and waits until the peer leaves (or HOLD_SECONDS pass).
    Reads the TCP connection beneath any TLS layer, handshake done or not."""
    try:
        conn.settimeout(HOLD_SECONDS)
        while socket.socket.recv(conn, 4096):
            pass
    except OSError:
        pass


def drip(conn, body):
    """One body byte every DRIP_SECONDS, round and round, until the peer leaves."""
    for byte in itertools.cycle(body):
        conn.sendall(bytes([byte]))
        time.sleep(DRIP_SECONDS)


def reason_phrase(status):
    try:
        return http.HTTPStatus(status).phrase
    except ValueError:
        return "Status"


def send_chunked(conn, body, cut_after):
    """Chunks of CHUNK_SIZES; with a cut, stops after cut_after body bytes, mid-chunk
    if need be, and never sends the final empty chunk."""
    limit = len(body) if cut_after < 0 else min(cut_after, len(body))
    offset = 0
    for size in itertools.cycle(CHUNK_SIZES):
        if offset >= len(body) or (cut_after >= 0 and offset >= limit):
            break
        chunk = body[offset:offset + size]
        if offset + len(chunk) > limit:
            conn.sendall(b"%X\r\n" % len(chunk) + chunk[:limit - offset])
            return
        conn.sendall(b"%X\r\n" % len(chunk) + chunk + b"\r\n")
        offset += len(chunk)
    if cut_after < 0:
        conn.sendall(b"0\r\n\r\n")


def close_gracefully(conn):
    """close_notify (TLS), then FIN, then wait briefly for the peer to close, so
    that unread bytes from the peer cannot turn our close into a reset."""
    try:
        if isinstance(conn, ssl.SSLSocket):
            send_close_notify(conn)
        # The plain socket methods act on the TCP connection beneath the TLS layer.
        socket.socket.shutdown(conn, socket.SHUT_WR)
        conn.settimeout(LINGER_TIMEOUT)
        while socket.socket.recv(conn, 4096):
            pass
    except OSError:
        pass


def send_close_notify(conn):
    """Sends our close_notify without waiting for the peer's."""
    conn.setblocking(False)
    for _ in range(50):
        try:
            conn.unwrap()
            return
        except ssl.SSLWantReadError:
            return  # ours went out; the second half would wait for the peer
        except ssl.SSLWantWriteError:
            select.select([], [conn], [], 0.1)


def abort(conn, mode):
    """Ends the connection without close_notify: a reset, or a bare FIN."""
    try:
        if mode == "close":
            socket.socket.shutdown(conn, socket.SHUT_WR)
            return
        wait_until_sent(conn)
        conn.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
    except OSError:
        pass


RESET_PAUSE_SECONDS = 0.3


def wait_until_sent(conn, timeout=5.0):
    """A reset discards what is still queued, so let the bytes before the cut leave first."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        queued = struct.unpack("i", fcntl.ioctl(conn.fileno(), termios.TIOCOUTQ, b"\0" * 4))[0]
        if queued == 0:
            break
        time.sleep(0.01)
    # A client that has already read everything sent sees the reset as a failed
    # read; one that has not may take the reset as the end of the answer.
    time.sleep(RESET_PAUSE_SECONDS)
