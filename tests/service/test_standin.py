"""End-to-end checks of the stand-in service itself (a CTest entry):
`python3 tests/service/test_standin.py`. Needs openssl for the test certificates."""
import json
import os
import socket
import ssl
import subprocess
import sys
import tempfile
import unittest
import urllib.error
import urllib.request
from urllib.parse import quote_from_bytes

TOOLS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools")
STANDIN = os.path.join(TOOLS, "standin")
sys.path.insert(0, STANDIN)
from commandscript import parse_credit, parse_form  # noqa: E402
from state import generated_body  # noqa: E402

COMMAND = "/scripts/orvexconsole/command.php"


def free_port():
    with socket.socket() as sock:
        sock.bind(("127.0.0.1", 0))
        return sock.getsockname()[1]


class StandinTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        certs = os.path.join(cls.tmp.name, "certs")
        subprocess.run([os.path.join(TOOLS, "env", "make-test-ca.sh"), certs], check=True)
        cls.port, cls.control_port = free_port(), free_port()
        cls.process = subprocess.Popen(
            [sys.executable, os.path.join(STANDIN, "standin.py"), "--certs", certs,
             "--port", str(cls.port), "--control-port", str(cls.control_port)],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        assert cls.process.stdout.readline().strip() == "ready"
        cls.tls = ssl.create_default_context(cafile=os.path.join(certs, "ca.pem"))

    @classmethod
    def tearDownClass(cls):
        cls.process.terminate()
        cls.process.wait(10)
        cls.process.stdout.close()
        cls.tmp.cleanup()

    def setUp(self):
        self.control("POST", "/reset")

    def control(self, method, path, request=None):
        data = None if request is None else json.dumps(request).encode()
        url = f"http://127.0.0.1:{self.control_port}{path}"
        try:
            with urllib.request.urlopen(urllib.request.Request(url, data, method=method)) as r:
                return r.status, r.read()
        except urllib.error.HTTPError as error:
            return error.code, error.read()

    def exchange(self, body, path=COMMAND):
        """(status line and headers, body as sent on the wire)."""
        with socket.create_connection(("127.0.0.1", self.port)) as raw:
            with self.tls.wrap_socket(raw, server_hostname="localhost") as conn:
                conn.sendall(b"POST %s HTTP/1.1\r\nHost: localhost\r\nContent-Length: %d\r\n\r\n"
                             % (path.encode(), len(body)) + body)
                data = b""
                while chunk := conn.recv(65536):
                    data += chunk
        head, _, rest = data.partition(b"\r\n\r\n")
        return head.decode("latin-1"), rest

    def command(self, email="demo@quillbay.test", password="demo1234", **fields):
        fields.update(version=fields.get("version", "1.0"), username=email, password=password)
        body = "&".join(f"{name}={quote_from_bytes(value.encode('latin-1'), safe='')}"
                        for name, value in sorted(fields.items()))
        return self.exchange(body.encode())[1]

    def put_account(self, credits="5", cannot_provide=False, contacts=()):
        status, _ = self.control("POST", "/account", {
            "email": "t@x.test", "password": "pw", "credits": credits,
            "cannot_provide": cannot_provide, "contacts": list(contacts)})
        self.assertEqual(status, 200)

    def test_checks_version_then_credentials(self):
        self.assertEqual(self.command(version="1.1", password="wrong", action="SEND"),
                         b"UPDATE_REQUIRED")
        self.assertEqual(self.command(password="wrong", action="GETINFORMATION"), b"LOGIN_FAILED")
        self.assertEqual(self.command(action="NOPE"), b"UNKNOWN_ACTION")

    def test_details_document_distinguishes_absent_and_empty_last_name(self):
        self.put_account(credits="12.5", contacts=[
            {"id": 7, "fn": "Ann", "ln": None, "cn": "0777"},
            {"id": "3", "fn": "B\u00e9a", "ln": "", "cn": "0333"}])
        self.assertEqual(
            self.command("t@x.test", "pw", action="GETINFORMATION"),
            b"<details><contacts><contact><id>3</id><fn>B\xe9a</fn><ln></ln><cn>0333</cn></contact>"
            b"<contact><id>7</id><fn>Ann</fn><cn>0777</cn></contact></contacts>"
            b"<credits>12.5</credits></details>")

    def test_add_and_delete_contacts(self):
        self.put_account(contacts=[{"id": 40, "fn": "A", "ln": "B", "cn": "123"}])
        add = lambda fn, cn, **ln: self.command("t@x.test", "pw", action="ADDCONTACT",
                                                fn=fn, cn=cn, **ln)
        self.assertEqual(add("", "123", ln=""), b"NO_FIRSTNAME")
        self.assertEqual(add("Z", "", ln=""), b"NO_CONTACT_NUMBER")
        for bad in ("12", "1" * 21, "+44123", "12 34"):
            self.assertEqual(add("Z", bad, ln=""), b"INVALID_NUMBER", bad)
        self.assertEqual(add("Zo+e", "1" * 20, ln=""), b"OK")
        self.assertEqual(self.command("t@x.test", "pw", action="DELETECONTACTS", cl=""),
                         b"NO_CONTACTS")
        self.assertEqual(self.command("t@x.test", "pw", action="DELETECONTACTS", cl="40,99"), b"OK")
        self.assertEqual(self.control("GET", "/account?email=t%40x.test")[1],
                         b"5\n41\tZo+e\t\t" + b"1" * 20 + b"\n")

    def test_send_checks_numbers_then_service_then_credit(self):
        self.put_account(credits="2", cannot_provide=True)
        send = lambda cn: self.command("t@x.test", "pw", action="SEND", message="hi", cn=cn)
        self.assertEqual(send("0777,12x,1"), b"INVALID_CONTACT:12x")
        self.assertEqual(send(""), b"INVALID_CONTACT:")
        self.assertEqual(send("0777"), b"CANNOT_PROVIDE")
        self.put_account(credits="2.5")
        self.assertEqual(send("0777,0778,0779"), b"NOT_ENOUGH_CREDIT")
        self.assertEqual(send("0777,0778"), b"QLB")
        self.assertEqual(send("0777"), b"NOT_ENOUGH_CREDIT")
        self.assertEqual(self.control("GET", "/account?email=t%40x.test")[1], b"0.5\n")
        self.assertEqual(self.control("GET", "/sent")[1], b"6869\t0777,0778\n")
        self.put_account(credits="none")
        self.assertEqual(send("0777"), b"NO_CREDIT")

    def test_scripted_answers_in_every_framing(self):
        for framing in ("length", "chunked", "close"):
            self.control("POST", "/answer", {"size": 5000, "framing": framing})
            head, wire = self.exchange(b"")
            if framing == "chunked":
                self.assertIn("Transfer-Encoding: chunked", head)
                self.assertTrue(wire.startswith(b"2BC\r\n" + generated_body(700) + b"\r\n1\r\n"))
                self.assertTrue(wire.endswith(b"\r\n0\r\n\r\n"))
            else:
                self.assertEqual(wire, generated_body(5000), framing)
            self.assertIn("Connection: close", head)

    def test_scripted_answer_repeats_then_normal_logic_resumes(self):
        self.control("POST", "/answer", {"body": "A\u0000\u00ff", "status": 503, "repeat": 2})
        for _ in range(2):
            head, body = self.exchange(b"")
            self.assertTrue(head.startswith("HTTP/1.1 503 "))
            self.assertEqual(body, b"A\0\xff")
        self.assertEqual(self.exchange(b"")[1], b"UPDATE_REQUIRED")

    def test_cut_answer_advertises_full_length(self):
        self.control("POST", "/answer", {"size": 3000, "cut_after": 1000, "cut_mode": "close"})
        head, body = self.exchange(b"")
        self.assertIn("Content-Length: 3000", head)
        self.assertEqual(body, generated_body(1000))

    def test_404_page_and_request_log(self):
        head, body = self.exchange(b"a+b%20", path="/elsewhere?q=1")
        self.assertTrue(head.startswith("HTTP/1.1 404 Not Found"))
        self.assertIn(b"404 Not Found", body)
        method, path, headers, logged_body = self.control("GET", "/requests")[1].split(b"\t")
        self.assertEqual((method, path), (b"POST", b"/elsewhere?q=1"))
        self.assertEqual(bytes.fromhex(headers.decode()),
                         b"Host: localhost\r\nContent-Length: 6\r\n")
        self.assertEqual(logged_body, b"a+b%20".hex().encode() + b"\n")

    def test_certificate_switch_applies_to_new_connections(self):
        for name in ("wronghost", "untrusted", "expired"):
            self.assertEqual(self.control("POST", "/certificate", {"cert": name})[0], 200)
            with self.assertRaises(ssl.SSLCertVerificationError):
                self.exchange(b"")
        self.assertEqual(self.control("GET", "/requests")[1], b"")
        self.control("POST", "/reset")
        self.assertEqual(self.exchange(b"")[1], b"UPDATE_REQUIRED")

    def test_answer_faults_and_redirect(self):
        self.control("POST", "/answer", {"status": 307, "location": "https://elsewhere.test/x"})
        head, _ = self.exchange(b"")
        self.assertTrue(head.startswith("HTTP/1.1 307 "))
        self.assertIn("\r\nLocation: https://elsewhere.test/x\r\n", head)

        self.control("POST", "/answer", {"body": "ab", "fault": "drip"})
        head, body = self.partial_exchange(3, timeout=3.0)
        self.assertNotIn("Content-Length", head)
        self.assertEqual(body, b"aba")

        self.control("POST", "/answer", {"body": "never", "fault": "stall_after_headers"})
        head, body = self.partial_exchange(1)
        self.assertTrue(head.startswith("HTTP/1.1 200 "))
        self.assertEqual(body, b"", "nothing after the headers")

        self.control("POST", "/answer", {"body": "never", "fault": "drip_headers"})
        with socket.create_connection(("127.0.0.1", self.port)) as raw:
            with self.tls.wrap_socket(raw, server_hostname="localhost") as conn:
                conn.settimeout(10)
                conn.sendall(b"POST %s HTTP/1.1\r\nContent-Length: 0\r\n\r\n" % COMMAND.encode())
                data = b""
                while b"\r\nX-" not in data:
                    chunk = conn.recv(1)
                    self.assertTrue(chunk, data)
                    data += chunk
        self.assertEqual(data, b"HTTP/1.1 200 OK\r\nX-", "the status line, then a header trickling in")

        self.control("POST", "/answer", {"body": "never", "fault": "reset_before_headers"})
        self.assertEqual(self.partial_exchange(1), ("", b""))
        self.assertEqual(len(self.control("GET", "/requests")[1].splitlines()), 5)

    def test_answers_without_status_line_or_stalled_mid_body(self):
        self.control("POST", "/answer", {"body": "LOGIN_FAILED", "fault": "no_status_line"})
        self.assertEqual(self.exchange(b""), ("LOGIN_FAILED", b""), "no head at all")
        for framing, wire in (("length", b"012"), ("chunked", b"2BC\r\n012")):
            self.control("POST", "/answer", {"size": 5000, "cut_after": 3, "framing": framing,
                                             "fault": "stall_mid_body"})
            head, body = self.partial_exchange(len(wire) + 1)
            self.assertEqual(body, wire, framing)
            self.assertEqual("Content-Length: 5000" in head, framing == "length")

    def test_connection_faults_come_before_any_request(self):
        self.control("POST", "/connection", {"fault": "stall"})
        with socket.create_connection(("127.0.0.1", self.port), timeout=1) as raw:
            with self.assertRaises(socket.timeout):
                self.tls.wrap_socket(raw, server_hostname="localhost")
        self.control("POST", "/connection", {"fault": "close_after_handshake"})
        self.assertEqual(self.control("GET", "/connection")[1], b"1\n")
        self.assertEqual(self.partial_exchange(1), ("", b""))
        self.assertEqual(self.control("GET", "/connection")[1], b"0\n")
        self.assertEqual(self.control("GET", "/requests")[1], b"")
        self.assertEqual(self.exchange(b"")[1], b"UPDATE_REQUIRED", "only the next connection plays it")

    def partial_exchange(self, cb_wanted, timeout=1.0):
        """(head, up to cb_wanted body bytes) of an answer that may never end; ("", b"")
        when the connection ends without an answer."""
        with socket.create_connection(("127.0.0.1", self.port)) as raw:
            with self.tls.wrap_socket(raw, server_hostname="localhost") as conn:
                conn.settimeout(timeout)
                conn.sendall(b"POST %s HTTP/1.1\r\nContent-Length: 0\r\n\r\n" % COMMAND.encode())
                data = b""
                try:
                    while len(data.partition(b"\r\n\r\n")[2]) < cb_wanted:
                        chunk = conn.recv(1)
                        if not chunk:
                            break
                        data += chunk
                except (socket.timeout, ConnectionError, ssl.SSLError):
                    pass
        head, _, body = data.partition(b"\r\n\r\n")
        return head.decode("latin-1"), body[:cb_wanted]

    def test_control_api_refuses_bad_input(self):
        self.assertEqual(self.control("POST", "/answer", {"body": "\u20ac"})[0], 400)
        self.assertEqual(self.control("POST", "/answer", {"framing": "gzip"})[0], 400)
        self.assertEqual(self.control("POST", "/certificate", {"cert": "other"})[0], 400)
        self.assertEqual(self.control("POST", "/answer", {"fault": "explode"})[0], 400)
        self.assertEqual(self.control("POST", "/connection", {"fault": "drip"})[0], 400)
        self.assertEqual(self.control("GET", "/account?email=nobody")[0], 404)


class FormTest(unittest.TestCase):
    def test_plus_is_literal_and_values_are_latin1(self):
        self.assertEqual(parse_form(b"fn=a+b%20c&ln=%E9&cn="),
                         {"fn": "a+b c", "ln": "\u00e9", "cn": ""})

    def test_credit_that_is_not_a_number_counts_as_zero(self):
        for text in ("", "abc", "NaN", "Infinity"):
            self.assertEqual(parse_credit(text), 0, text)
        self.assertEqual(parse_credit("12.5"), 12.5)


if __name__ == "__main__":
    unittest.main()
