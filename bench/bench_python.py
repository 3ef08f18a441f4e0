"""`import kangli` timed from Python: one calculate call, and a sweep of
10,000 combinations. Run after the build:
    PYTHONPATH=build/python /usr/bin/python3 bench/bench_python.py"""
import os
import timeit

import numpy

import kangli

here = os.path.dirname(os.path.abspath(__file__))
r = kangli.Record.load(os.path.join(here, "..", "examples", "circular-pile-into-rock.json"))
n = 20000
t = timeit.timeit(lambda: kangli.calculate(r), number=n)
print("calculate: %.1f us per call" % (t / n * 1e6))
grid = {"fZhuangJianJu": numpy.arange(2, 7, 0.05), "fZhuangJing": numpy.arange(0.8, 2.8, 0.02)}
t = min(timeit.repeat(lambda: kangli.sweep(r, grid), number=1, repeat=5))
size = kangli.sweep(r, grid).size
print("sweep of %d combinations: %.1f ms" % (size, t * 1e3))
