#!/usr/bin/python3
"""The calendar sync's three rows done by python3-caldav, for the benchmark to print beside its own.

Usage: caldav_python.py CALENDAR_URL USER PASSWORD FOLDER
FOLDER holds one .ics file per event. Prints the seconds of: the first upload of every event,
a sync after one change here, and a sync after one change made by another client. The time of
starting Python and loading the library is left out, as the benchmark leaves out its own.
"""
import os
import sys
import time

import caldav


def main():
    url, user, password, folder = sys.argv[1:5]
    bodies = []
    for name in sorted(os.listdir(folder)):
        with open(os.path.join(folder, name), encoding="utf-8") as f:
            bodies.append(f.read())

    started = time.monotonic()
    client = caldav.DAVClient(url, username=user, password=password)
    calendar = caldav.Calendar(client=client, url=url)
    listing = calendar.objects_by_sync_token(load_objects=False)
    last = None
    for body in bodies:
        last = calendar.save_event(body)
    first = time.monotonic() - started

    # One change here: learn what changed there, then send the changed event.
    started = time.monotonic()
    listing = calendar.objects_by_sync_token(listing.sync_token, load_objects=False)
    last.data = last.data.replace("SUMMARY:", "SUMMARY:（変更）", 1)
    last.save()
    here = time.monotonic() - started
    token = calendar.objects_by_sync_token(listing.sync_token).sync_token

    # One change there, by a client of its own.
    other = caldav.DAVClient(url, username=user, password=password)
    event = caldav.Event(client=other, url=last.url, data=last.data, parent=calendar)
    event.data = event.data.replace("（変更）", "", 1)
    event.save()
    started = time.monotonic()
    calendar.objects_by_sync_token(token, load_objects=True)
    there = time.monotonic() - started

    print(f"{first:.3f} {here:.3f} {there:.3f}")


if __name__ == "__main__":
    main()
