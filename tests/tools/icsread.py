#!/usr/bin/python3
# Reads a calendar file with python3-icalendar, a parser of its own, and prints its events as
# JSON: [start, alarm 0/1, summary, description, uid] each, the start yyyymmdd for a date and
# yyyymmddTHHMM in local time for a time.
import datetime
import json
import sys

import icalendar

with open(sys.argv[1], "rb") as f:
    calendar = icalendar.Calendar.from_ical(f.read())
events = []
for event in calendar.walk("VEVENT"):
    event.decoded("DTSTAMP")  # fails on a time that is no time
    start = event.decoded("DTSTART")
    if isinstance(start, datetime.datetime):
        start = start.astimezone().strftime("%Y%m%dT%H%M")
    else:
        start = start.strftime("%Y%m%d")
    events.append([
        start,
        1 if event.walk("VALARM") else 0,
        str(event.get("SUMMARY")),
        str(event.get("DESCRIPTION")),
        str(event.get("UID")),
    ])
print(json.dumps(events))
