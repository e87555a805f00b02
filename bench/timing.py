"""Median wall time of repeated runs of commands, interleaved so that both
sides of a comparison see the same machine load.

usage: timing.py RUNS -- cmd1 args ... -- cmd2 args ...
Prints one median in milliseconds per command, one per line."""
import statistics
import subprocess
import sys
import time

runs = int(sys.argv[1])
commands, current = [], None
for word in sys.argv[2:]:
    if word == "--":
        current = []
        commands.append(current)
    else:
        current.append(word)

times = [[] for _ in commands]
for _ in range(runs):
    for i, command in enumerate(commands):
        start = time.perf_counter()
        subprocess.run(command, stdout=subprocess.DEVNULL, check=True)
        times[i].append((time.perf_counter() - start) * 1000)
for t in times:
    print(f"{statistics.median(t):.2f}")
