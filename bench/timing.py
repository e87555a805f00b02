"""The one timer of the benchmarks: median wall time of repeated runs of
commands, interleaved (each round runs every command once) so that both
sides of a comparison see the same machine load, which back-to-back series
or a best-of do not.

usage: timing.py RUNS [--fresh FILE]... -- cmd1 args ... -- cmd2 args ...
--fresh FILE: FILE is removed and written data flushed before every run, so
that each run creates its output anew and no earlier write is still going
out to the disk.
Prints one median in milliseconds per command, one per line."""
import os
import statistics
import subprocess
import sys
import time

runs = int(sys.argv[1])
fresh, commands, current = [], [], None
words = iter(sys.argv[2:])
for word in words:
    if word == "--":
        current = []
        commands.append(current)
    elif current is None and word == "--fresh":
        fresh.append(next(words))
    else:
        current.append(word)

times = [[] for _ in commands]
for _ in range(runs):
    for i, command in enumerate(commands):
        if fresh:
            for name in fresh:
                if os.path.exists(name):
                    os.remove(name)
            os.sync()
        start = time.perf_counter()
        subprocess.run(command, stdout=subprocess.DEVNULL, check=True)
        times[i].append((time.perf_counter() - start) * 1000)
for t in times:
    print(f"{statistics.median(t):.2f}")
