#!/usr/bin/python3
# Reads a calendar file with python3-icalendar, a parser of its own, and prints its events as
# JSON: [date yyyymmdd, alarm 0/1, summary, description, uid] each.
import json
import sys

import icalendar

with open(sys.argv[1], "rb") as f:
    calendar = icalendar.Calendar.from_ical(f.read())
events = []
for event in calendar.walk("VEVENT"):
    event.decoded("DTSTAMP")  # fails on a time that is no time
    events.append([
        event.decoded("DTSTART").strftime("%Y%m%d"),
        1 if event.walk("VALARM") else 0,
        str(event.get("SUMMARY")),
        str(event.get("DESCRIPTION")),
        str(event.get("UID")),
    ])
print(json.dumps(events))
