"""Member accounts and their contacts, kept in SQLite.

Text is stored as Python str holding ISO 8859-1 code points (U+0000..U+00FF),
so it maps one to one onto the bytes of the wire.
"""
import sqlite3
import threading

DEMO_EMAIL = "demo@quillbay.test"
DEMO_PASSWORD = "demo1234"
DEMO_CREDITS = "25"
# Non-consecutive ids, so a client that sends list positions instead of ids is caught.
# One contact has no last name at all.
DEMO_CONTACTS = [
    (12, "Alice", "Hartley", "00447700900123"),
    (15, "Ben", "Okafor", "00447700900456"),
    (23, "Chloé", "Marsh", "00447700900789"),
    (40, "Daniel", None, "00447700900321"),
    (57, "Elena", "Petrova", "00447700900654"),
]

SCHEMA = """
CREATE TABLE IF NOT EXISTS accounts (
    email TEXT PRIMARY KEY,
    password TEXT NOT NULL,
    credits TEXT NOT NULL,
    cannot_provide INTEGER NOT NULL DEFAULT 0
);
CREATE TABLE IF NOT EXISTS contacts (
    account TEXT NOT NULL,
    id INTEGER NOT NULL,
    first_name TEXT NOT NULL,
    last_name TEXT,
    mobile TEXT NOT NULL
);
CREATE INDEX IF NOT EXISTS contacts_by_account ON contacts (account, id);
"""


def generated_contacts(count):
    """Contacts 1..count with distinct 12-digit numbers, for large-list tests."""
    return [(i, f"First{i}", f"Last{i}", f"4477{i:08d}") for i in range(1, count + 1)]


class AccountStore:
    """All access goes through `lock` (re-entrant), so a caller may hold it
    across several calls to make a check-then-update atomic."""

    def __init__(self, path=":memory:"):
        self.lock = threading.RLock()
        self._db = sqlite3.connect(path, check_same_thread=False)
        with self.lock, self._db:
            self._db.executescript(SCHEMA)
        self.reset()

    def close(self):
        with self.lock:
            self._db.close()

    def reset(self):
        with self.lock, self._db:
            self._db.execute("DELETE FROM contacts")
            self._db.execute("DELETE FROM accounts")
        self.put_account(DEMO_EMAIL, DEMO_PASSWORD, DEMO_CREDITS, False, DEMO_CONTACTS)

    def put_account(self, email, password, credits, cannot_provide, contacts):
        """Creates or replaces the account with exactly `contacts`: (id, fn, ln, cn) tuples."""
        with self.lock, self._db:
            self._db.execute("DELETE FROM contacts WHERE account = ?", (email,))
            self._db.execute(
                "INSERT OR REPLACE INTO accounts VALUES (?, ?, ?, ?)",
                (email, password, credits, int(cannot_provide)))
            self._db.executemany(
                "INSERT INTO contacts VALUES (?, ?, ?, ?, ?)",
                [(email, *contact) for contact in contacts])

    def check_password(self, email, password):
        with self.lock:
            row = self._db.execute(
                "SELECT 1 FROM accounts WHERE email = ? AND password = ?",
                (email, password)).fetchone()
        return row is not None

    def account(self, email):
        """(credits text, cannot_provide) or None."""
        with self.lock:
            row = self._db.execute(
                "SELECT credits, cannot_provide FROM accounts WHERE email = ?",
                (email,)).fetchone()
        return None if row is None else (row[0], bool(row[1]))

    def contacts(self, email):
        """(id, fn, ln or None, cn) in id order; ids as text."""
        with self.lock:
            rows = self._db.execute(
                "SELECT id, first_name, last_name, mobile FROM contacts"
                " WHERE account = ? ORDER BY id, rowid", (email,)).fetchall()
        return [(str(id_), fn, ln, cn) for id_, fn, ln, cn in rows]

    def set_credits(self, email, credits):
        with self.lock, self._db:
            self._db.execute("UPDATE accounts SET credits = ? WHERE email = ?", (credits, email))

    def delete_contacts(self, email, ids):
        # The column's integer affinity turns "12" into 12 for the comparison.
        with self.lock, self._db:
            self._db.executemany(
                "DELETE FROM contacts WHERE account = ? AND id = ?",
                [(email, id_) for id_ in ids])

    def add_contact(self, email, fn, ln, cn):
        """Stores the contact under the account's next free numeric id and returns it."""
        with self.lock, self._db:
            (new_id,) = self._db.execute(
                "SELECT COALESCE(MAX(id), 0) + 1 FROM contacts"
                " WHERE account = ? AND typeof(id) = 'integer'", (email,)).fetchone()
            self._db.execute(
                "INSERT INTO contacts VALUES (?, ?, ?, ?, ?)", (email, new_id, fn, ln, cn))
        return new_id
