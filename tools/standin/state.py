"""What the control API inspects and steers, shared by every server thread."""
import collections
import threading
from dataclasses import dataclass

PATTERN = b"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
FRAMINGS = ("length", "chunked", "close")
CUT_MODES = ("reset", "close")
# What an answer does instead of arriving whole (see README.md).
FAULTS = ("none", "stall", "reset_before_headers", "stall_after_headers", "drip", "drip_headers",
          "no_status_line", "stall_mid_body")
# What a connection does before any request is read.
CONNECTION_FAULTS = ("stall", "close_after_handshake")


def generated_body(size):
    """Byte i is PATTERN[i % 62]; tests regenerate it to compare."""
    repeats = size // len(PATTERN) + 1
    return (PATTERN * repeats)[:size]


class GeneratedBody:
    """generated_body(size) made a slice at a time, so that hundreds of MiB cost no memory."""
    def __init__(self, size):
        self.size = size

    def __len__(self):
        return self.size

    def __getitem__(self, key):
        start, stop, _ = key.indices(self.size)
        if stop <= start:
            return b""
        skip = start % len(PATTERN)
        repeats = (skip + stop - start) // len(PATTERN) + 1
        return (PATTERN * repeats)[skip:skip + stop - start]


@dataclass
class RecordedRequest:
    method: str
    path: str
    headers: bytes  # header lines as received, each with its CRLF; no request line, no blank line
    body: bytes


@dataclass
class ScriptedAnswer:
    """An answer that replaces the command script's own for the next `repeat` requests."""
    body: bytes = b""
    status: int = 200
    framing: str = "length"
    delay_ms: int = 0
    cut_after: int = -1
    cut_mode: str = "reset"  # "reset": RST after the cut; "close": a bare FIN without close_notify
    size: int = -1
    page404: bool = False
    repeat: int = 1
    location: str = ""  # sent as the Location header when not empty
    fault: str = "none"


class ServiceState:
    def __init__(self, store, contexts):
        self.store = store
        self._contexts = contexts  # certificate name -> ssl.SSLContext
        self._lock = threading.Lock()
        self._requests = []
        self._answers = collections.deque()
        self._sent = []
        self._connection_faults = collections.deque()
        self._certificate = "good"
        self._hold_after = None  # command requests still to pass before the held one
        self._released = threading.Event()

    def reset(self):
        self.store.reset()
        with self._lock:
            self._requests.clear()
            self._answers.clear()
            self._sent.clear()
            self._connection_faults.clear()
            self._certificate = "good"
            self._hold_after = None
        self._released.set()

    def certificate_names(self):
        return tuple(self._contexts)

    def use_certificate(self, name):
        with self._lock:
            self._certificate = name

    def current_context(self):
        with self._lock:
            return self._contexts[self._certificate]

    def record_request(self, request):
        with self._lock:
            self._requests.append(request)

    def requests(self):
        with self._lock:
            return list(self._requests)

    def clear_requests(self):
        with self._lock:
            self._requests.clear()

    def queue_answer(self, answer):
        with self._lock:
            self._answers.append(answer)

    def take_answer(self):
        """The scripted answer for this request, or None for the normal logic."""
        with self._lock:
            if not self._answers:
                return None
            answer = self._answers[0]
            answer.repeat -= 1
            if answer.repeat <= 0:
                self._answers.popleft()
            return answer

    def queue_connection_fault(self, fault, repeat):
        with self._lock:
            self._connection_faults.extend([fault] * repeat)

    def pending_connection_faults(self):
        with self._lock:
            return len(self._connection_faults)

    def take_connection_fault(self):
        """The fault the next accepted connection plays, or None."""
        with self._lock:
            return self._connection_faults.popleft() if self._connection_faults else None

    def record_sent(self, message, numbers):
        with self._lock:
            self._sent.append((message, numbers))

    def sent(self):
        with self._lock:
            return list(self._sent)

    def hold_request(self, after):
        """The command request after the next `after` ones waits for release()."""
        with self._lock:
            self._hold_after = after
            self._released.clear()

    def release(self):
        self._released.set()

    def wait_if_held(self, timeout):
        with self._lock:
            if self._hold_after is None:
                return
            if self._hold_after > 0:
                self._hold_after -= 1
                return
            self._hold_after = None
        self._released.wait(timeout)
