"""The command script: decodes a console's form body and answers it."""
import re
from decimal import Decimal, InvalidOperation
from urllib.parse import unquote_to_bytes

NUMBER = re.compile(r"[0-9]{3,20}")


def parse_form(body):
    """name=value&... with percent-encoded values. A "+" stays a plus sign: the
    console always encodes a space as %20. Later duplicates win."""
    form = {}
    for pair in body.split(b"&"):
        if not pair:
            continue
        name, _, value = pair.partition(b"=")
        form[name.decode("latin-1")] = unquote_to_bytes(value).decode("latin-1")
    return form


def parse_credit(text):
    """The stored credit text as a number; anything that is not a finite number is 0."""
    try:
        value = Decimal(text.strip())
    except InvalidOperation:
        return Decimal(0)
    return value if value.is_finite() else Decimal(0)


def is_number(text):
    return NUMBER.fullmatch(text) is not None


def details_document(contacts, credits):
    """Raw text, no declaration and no entity escaping: the console's parser reads
    values exactly as written. <ln> is left out when the last name is absent."""
    parts = ["<details><contacts>"]
    for id_, fn, ln, cn in contacts:
        last = "" if ln is None else f"<ln>{ln}</ln>"
        parts.append(f"<contact><id>{id_}</id><fn>{fn}</fn>{last}<cn>{cn}</cn></contact>")
    parts.append(f"</contacts><credits>{credits}</credits></details>")
    return "".join(parts).encode("latin-1")


class CommandScript:
    def __init__(self, store, record_sent):
        self._store = store
        self._record_sent = record_sent  # (message, numbers) of each accepted SEND
        self._actions = {
            "GETINFORMATION": self._get_information,
            "DELETECONTACTS": self._delete_contacts,
            "ADDCONTACT": self._add_contact,
            "SEND": self._send,
        }

    def answer(self, body):
        """The answer body (bytes) for one request body."""
        form = parse_form(body)
        if form.get("version") != "1.0":
            return b"UPDATE_REQUIRED"
        email = form.get("username", "")
        # Held throughout, so a credit check and its deduction cannot interleave.
        with self._store.lock:
            if not self._store.check_password(email, form.get("password", "")):
                return b"LOGIN_FAILED"
            action = self._actions.get(form.get("action", ""))
            if action is None:
                return b"UNKNOWN_ACTION"
            return action(email, form).encode("latin-1")

    def _get_information(self, email, form):
        credits, _ = self._store.account(email)
        return details_document(self._store.contacts(email), credits).decode("latin-1")

    def _delete_contacts(self, email, form):
        ids = [id_ for id_ in form.get("cl", "").split(",") if id_]
        if not ids:
            return "NO_CONTACTS"
        self._store.delete_contacts(email, ids)
        return "OK"

    def _add_contact(self, email, form):
        fn, cn = form.get("fn", ""), form.get("cn", "")
        if not fn:
            return "NO_FIRSTNAME"
        if not cn:
            return "NO_CONTACT_NUMBER"
        if not is_number(cn):
            return "INVALID_NUMBER"
        # A missing "ln" field means no last name; an empty one is an empty last name.
        self._store.add_contact(email, fn, form.get("ln"), cn)
        return "OK"

    def _send(self, email, form):
        numbers_text = form.get("cn", "")
        numbers = numbers_text.split(",")
        for number in numbers:
            if not is_number(number):
                return "INVALID_CONTACT:" + number
        credits, cannot_provide = self._store.account(email)
        if cannot_provide:
            return "CANNOT_PROVIDE"
        credit = parse_credit(credits)
        if credit <= 0:
            return "NO_CREDIT"
        if credit < len(numbers):
            return "NOT_ENOUGH_CREDIT"
        self._store.set_credits(email, str(credit - len(numbers)))
        self._record_sent(form.get("message", ""), numbers_text)
        return "QLB"
