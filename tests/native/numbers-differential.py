#!/usr/bin/python3
"""Compares the address book's number normaliser with libphonenumber (Debian's
python3-phonenumbers): the example mobile and fixed-line numbers of every
country, written as E.164, in the international format, with "00", with
"(0)" after the country code, and in the national format (read with the
country's calling code), each against libphonenumber's E.164 result.
Countries whose national prefix libphonenumber reads by a pattern (a carrier
code, a mobile token) are beyond the plan the normaliser has; their rows are
counted apart and not held against it.
Usage: numbers-differential.py NORMALISER"""
import subprocess
import sys

import phonenumbers
from phonenumbers import PhoneMetadata, PhoneNumberFormat, PhoneNumberType


def plain_prefix(meta):
    parsing = meta.national_prefix_for_parsing
    return meta.national_prefix_transform_rule is None and (parsing is None or parsing == meta.national_prefix)


def rows():
    for region in sorted(phonenumbers.SUPPORTED_REGIONS):
        meta = PhoneMetadata.metadata_for_region(region)
        code = str(meta.country_code)
        for kind in (PhoneNumberType.MOBILE, PhoneNumberType.FIXED_LINE):
            example = phonenumbers.example_number_for_type(region, kind)
            if example is None:
                continue
            international = phonenumbers.format_number(example, PhoneNumberFormat.INTERNATIONAL)
            national = phonenumbers.format_number(example, PhoneNumberFormat.NATIONAL)
            significant = phonenumbers.national_significant_number(example)
            # "00" read as a member where it is the international prefix (Britain) would dial it.
            written = [
                (phonenumbers.format_number(example, PhoneNumberFormat.E164), "", region),
                (international, "", region),
                ("00 " + international[1:], "", "GB"),
                (national, code, region),
            ]
            if meta.national_prefix == "0":
                written.append(("+%s (0)%s" % (code, significant), "", region))
            for raw, member, home in written:
                try:
                    parsed = phonenumbers.parse(raw, home)
                except phonenumbers.NumberParseException:
                    continue
                expected = "00" + phonenumbers.format_number(parsed, PhoneNumberFormat.E164)[1:]
                yield region, raw, member, expected, plain_prefix(meta)


def main():
    table = list(rows())
    lines = "".join("%s\t%s\n" % (raw, member) for _, raw, member, _, _ in table)
    answer = subprocess.run([sys.argv[1]], input=lines, capture_output=True, text=True, check=True).stdout.split("\n")
    planned = [row for row in zip(table, answer) if row[0][4]]
    beyond = [row for row in zip(table, answer) if not row[0][4]]
    wrong = [(row, got) for row, got in planned if got != row[3]]
    regions = {row[0] for row, _ in planned}
    agree_beyond = sum(1 for row, got in beyond if got == row[3])
    print("%d numbers of %d countries within the plan: %d agree, %d differ" %
          (len(planned), len(regions), len(planned) - len(wrong), len(wrong)))
    print("%d numbers of countries whose national prefix is a pattern: %d agree" % (len(beyond), agree_beyond))
    for (region, raw, member, expected, _), got in wrong[:40]:
        print("  %s %r (country code %s): expected %s, got %s" % (region, raw, member or "-", expected, got))
    return 1 if wrong or len(regions) < 30 else 0


if __name__ == "__main__":
    sys.exit(main())
