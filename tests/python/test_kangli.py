"""`import kangli` as a notebook user meets it. Run by CTest with /usr/bin/python3;
the environment names the kangli program and the examples folder."""
import gc
import json
import math
import os
import signal
import subprocess
import sys
import tempfile
import time
import unittest

import numpy

import kangli

EXAMPLES = os.environ["KANGLI_EXAMPLES_DIR"]
KANGLI = os.environ["KANGLI_EXE"]


def calc_json(path):
    out = subprocess.run([KANGLI, "calc", "--json", path], capture_output=True, text=True, check=True).stdout
    return json.loads(out)


class RecordsAndCalculation(unittest.TestCase):
    def test_a_record_built_field_by_field_gives_what_the_command_line_gives(self):
        r = kangli.Record()
        r.fZhuangChang = 16
        r.nJieMianXingZhuang = 0
        r.fZhuangJing = 1.2
        r.fZhuangJianJu = 4
        r.nHunNingTuDengJi = 30
        r.fHuaMianDaoZhuangDing = 8
        r.fPoMianDaoZhuangDing = 1
        r.fShuiWeiShenDu = 4
        layers = []
        for thickness, rock, c, phi in [(4, 0, 20, 15), (4, 0, 5, 28), (10, 1, 300, 35)]:
            layer = kangli.Layer()
            layer.fHouDu, layer.nLeiXing, layer.fNianJuLi, layer.fMoCaJiao = thickness, rock, c, phi
            layers.append(layer)
        r.TuCeng = layers
        self.assertEqual(r.nTuCengShu, 3)
        res = kangli.calculate(r)
        self.assertEqual(res.status, 1, res.message)
        with tempfile.TemporaryDirectory() as d:
            path = os.path.join(d, "r.json")
            r.save(path)
            expected = calc_json(path)["points"]
        self.assertEqual(len(res.depth), len(expected))
        # The command line prints each float32 in the shortest form that reads
        # back to it: read back as float32, the two are the same bits.
        for i, p in enumerate(expected):
            self.assertEqual(res.depth[i], numpy.float32(p["depth"]))
            self.assertEqual(res.ground[i], numpy.float32(p["ground"]))
            self.assertEqual(res.pile[i], numpy.float32(p["pile"]))
            self.assertEqual(res.final[i], numpy.float32(p["final"]))
        self.assertEqual(res.final.dtype, numpy.float32)

    def test_the_slip_surface_value_is_the_books(self):
        res = kangli.calculate(kangli.Record.load(os.path.join(EXAMPLES, "circular-pile-into-rock.json")))
        self.assertAlmostEqual(res.at_slip, 360.549, places=3)
        self.assertEqual(res.governs, "pile")
        self.assertAlmostEqual(res.ground_at_slip, 1769.221, places=3)

    def test_a_refusal_is_a_result_and_the_record_is_left_alone(self):
        r = kangli.Record.load(os.path.join(EXAMPLES, "defaults.json"))
        r.fZhuangJianJu = 0
        res = kangli.calculate(r)
        self.assertEqual(res.status, 0)
        self.assertIn("fZhuangJianJu", res.message)
        self.assertEqual(len(res.final), 0)
        self.assertTrue(math.isnan(res.at_slip))
        r.fZhuangJianJu = 5
        kangli.calculate(r)
        self.assertEqual(r.fZhuangJianJu, 5)  # calculate works on a copy
        self.assertEqual(r.nTuCengShu, 2)

    def test_a_bad_file_raises_with_the_command_lines_message(self):
        with self.assertRaises(ValueError) as caught:
            kangli.Record.load(os.path.join(os.path.dirname(EXAMPLES), "tests", "broken", "nan-length.dat"))
        self.assertIn("nan-length.dat: line 1: value 2 (pile length, fZhuangChang) is not a finite number",
                      str(caught.exception))
        with self.assertRaises(ValueError):
            kangli.Record.from_dict({"fZhuangChang": "long"})

    def test_every_field_is_an_attribute_with_its_label_and_range(self):
        # Each key of the JSON form is an attribute of the same name whose
        # docstring names it as the input tables do, with what it takes.
        r = kangli.Record()
        d = r.to_dict()
        layer_keys = list(d["TuCeng"][0])
        record_keys = [k for k in d if k not in ("TuCeng", "JsDataBase")]
        for key in record_keys:
            self.assertTrue(getattr(kangli.Record, key).__doc__, key)
        for key in layer_keys:
            self.assertTrue(getattr(kangli.Layer, key).__doc__, key)
        self.assertEqual(kangli.Record.fZhuangJianJu.__doc__, "桩中心距（m）: pile spacing, m; 0.01 .. 10000000; default 5")
        self.assertEqual(kangli.Layer.fMoCaJiao.__doc__, "内摩擦角(°): friction angle, degrees; 0 .. <90; default 15")
        self.assertIn("0 .. fZhuangChang", kangli.Record.fHuaMianDaoZhuangDing.__doc__)
        self.assertIn("1 矩形, 0 圆形", kangli.Record.nJieMianXingZhuang.__doc__)
        self.assertIn("only for soil with groundwater", kangli.Layer.fShuiXiaMoCaJiao.__doc__)
        # Set through the attribute, seen in the JSON form.
        for n, key in enumerate(record_keys):
            if key != "nTuCengShu":
                setattr(r, key, 40 + n)
        layer = kangli.Layer()
        for n, key in enumerate(layer_keys):
            setattr(layer, key, 60 + n)
        r.TuCeng = [layer]
        d = r.to_dict()
        for n, key in enumerate(record_keys):
            self.assertEqual(d[key], 1 if key == "nTuCengShu" else 40 + n, key)
        self.assertEqual([d["TuCeng"][0][k] for k in layer_keys], [60 + n for n in range(len(layer_keys))])

    def test_the_dict_form_round_trips(self):
        r = kangli.Record.load(os.path.join(EXAMPLES, "rectangular-pile-soil-layers.json"))
        d = r.to_dict()
        self.assertEqual(kangli.Record.from_dict(d).to_dict(), d)
        self.assertEqual(len(d["TuCeng"]), 5)

    def test_a_notebook_user_reads_and_edits_a_record(self):
        r = kangli.Record.load(os.path.join(EXAMPLES, "circular-pile-into-rock.json"))
        self.assertEqual(repr(r), "<kangli.Record circular pile d 1.2 m, 16 m long, every 4 m, C30, "
                                  "slip surface 8 m down, 3 layers>")
        self.assertEqual(repr(r.TuCeng[2]), "<kangli.Layer rock, 10 m thick, c 300 kPa, phi 35 degrees>")
        self.assertEqual(repr(kangli.Layer()).split()[0], "<kangli.Layer")
        # A layer edited through the record changes the record, and its result.
        before = kangli.calculate(r).at_slip
        r.TuCeng[0].fMoCaJiao = 30
        self.assertEqual(r.TuCeng[0].fMoCaJiao, 30)
        self.assertEqual(r.to_dict()["TuCeng"][0]["fMoCaJiao"], 30)
        r.TuCeng[-1].fHouDu = 12
        self.assertEqual(r.to_dict()["TuCeng"][2]["fHouDu"], 12)
        self.assertEqual(len(r.TuCeng), 3)
        self.assertEqual([l.fHouDu for l in r.TuCeng], [4, 4, 12])
        r.TuCeng[1] = kangli.Layer()
        self.assertEqual(r.TuCeng[1].fMoCaJiao, kangli.Layer().fMoCaJiao)
        kept = r.TuCeng[2]
        r.TuCeng = [r.TuCeng[0]]
        self.assertEqual(r.nTuCengShu, 1)
        with self.assertRaises(IndexError):
            kept.fHouDu = 3  # the record has no layer 2 any more: never silently lost
        with self.assertRaises(IndexError):
            r.TuCeng[5]
        self.assertNotEqual(kangli.calculate(r).at_slip, before)
        # Values the record cannot hold are refused, not stored as infinity.
        for value in (1e50, float("inf"), float("nan")):
            with self.assertRaises(ValueError):
                r.fZhuangJianJu = value
            with self.assertRaises(ValueError):
                r.TuCeng[0].fMoCaJiao = value
        self.assertEqual(r.fZhuangJianJu, 4)
        with self.assertRaises(ValueError):
            r.TuCeng = [kangli.Layer()] * 1001

    def test_paths_diagrams_and_saved_files_are_checked_as_the_command_line_checks_them(self):
        r = kangli.Record.load(os.path.join(EXAMPLES, "circular-pile-into-rock.json"))
        with tempfile.TemporaryDirectory() as d:
            victim = os.path.join(d, "victim.txt")
            for call in (lambda: kangli.Record.load(victim + "\0.json"), lambda: r.save(victim + "\0.json"),
                         lambda: kangli.draw(r, 1, victim + "\0.svg"), lambda: kangli.report(r, victim + "\0")):
                with self.assertRaises(ValueError) as caught:
                    call()
                self.assertIn("NUL", str(caught.exception))
            self.assertEqual(os.listdir(d), [])
            for n in (-1, 3, 5):
                with self.assertRaises(ValueError):
                    kangli.draw(r, n, os.path.join(d, "blank.svg"))
            with self.assertRaises(ValueError):
                kangli.draw(r, 1, os.path.join(d, "x.bmp"))
            self.assertEqual(os.listdir(d), [])
            # What save writes, load reads: a count the reader refuses is not written.
            r.nTuCengShu = -5
            for name in ("bad.json", "bad.dat"):
                with self.assertRaises(ValueError):
                    r.save(os.path.join(d, name))
            self.assertEqual(os.listdir(d), [])
            r.nTuCengShu = 3
            r.save(os.path.join(d, "good.json"))
            self.assertEqual(kangli.Record.load(os.path.join(d, "good.json")).to_dict(), r.to_dict())

    def test_an_array_outlives_its_result(self):
        depth = kangli.calculate(kangli.Record()).depth
        gc.collect()
        self.assertEqual(float(depth[0]), 10.0)
        self.assertEqual(float(depth[-1]), 0.0)


class OneReading(unittest.TestCase):
    """A file gives in Python what it gives on the command line: read or refused,
    calculated or refused, with the same message."""

    FILES = {
        "no-layers.json": '{"fZhuangJianJu": 3}',
        "counted-not-given.json": '{"fZhuangJianJu": 3, "nTuCengShu": 2}',
        "one-layer.json": '{"fZhuangJianJu": 3, "TuCeng": [{"fHouDu": 12}]}',
        "layers-not-a-list.json": '{"TuCeng": {}}',
        "given-twice.json": '{"fZhuangJianJu": 3, "fZhuangJianJu": 4}',
        "no-pile-values.dat": 'hello\n',
    }

    @staticmethod
    def command_line(path):
        run = subprocess.run([KANGLI, "calc", "--json", path], capture_output=True, text=True)
        prefix = "kangli: " + path + ": "
        lines = run.stderr.splitlines()
        message = lines[0][len(prefix):] if lines and lines[0].startswith(prefix) else run.stderr
        if run.returncode == 2:
            return "unreadable", message, None
        points = json.loads(run.stdout)["points"]
        return ("calculated" if run.returncode == 0 else "refused"), message, [p["final"] for p in points]

    @staticmethod
    def python(path):
        try:
            r = kangli.Record.load(path)
        except ValueError as e:
            text = str(e)
            return "unreadable", text[len(path) + 2:] if text.startswith(path + ": ") else text, None
        res = kangli.calculate(r)
        if res.status != 1:
            return "refused", res.message, []
        return "calculated", "", [float(f) for f in res.final]

    def test_python_and_the_command_line_read_every_file_alike(self):
        with tempfile.TemporaryDirectory() as d:
            for name, text in self.FILES.items():
                path = os.path.join(d, name)
                with open(path, "w") as f:
                    f.write(text)
                cli = self.command_line(path)
                py = self.python(path)
                self.assertEqual(py[:2], cli[:2], name)
                if cli[0] == "calculated":
                    self.assertEqual(py[2], [float(numpy.float32(v)) for v in cli[2]], name)
                # The dict form is read as the file is (a dict cannot hold a key twice).
                if name.endswith(".json") and name != "given-twice.json":
                    try:
                        from_dict = kangli.Record.from_dict(json.loads(text)).to_dict()
                    except ValueError as e:
                        self.assertEqual(("unreadable", str(e)), cli[:2], name)
                    else:
                        self.assertEqual(from_dict, kangli.Record.load(path).to_dict(), name)

    def test_a_record_without_layers_has_none(self):
        with tempfile.TemporaryDirectory() as d:
            path = os.path.join(d, "r.json")
            with open(path, "w") as f:
                f.write('{"fZhuangJianJu": 3}')
            r = kangli.Record.load(path)
            self.assertEqual(r.nTuCengShu, 0)
            self.assertEqual(len(r.TuCeng), 0)
            self.assertEqual(kangli.calculate(r).status, 1)
            self.assertEqual(kangli.Record.from_dict({"fZhuangJianJu": 3}).nTuCengShu, 0)


class Studies(unittest.TestCase):
    def test_a_sweep_agrees_with_single_calculations(self):
        r = kangli.Record.load(os.path.join(EXAMPLES, "circular-pile-into-rock.json"))
        spacings = numpy.arange(3, 8, 0.25)
        grid = kangli.sweep(r, {"fZhuangJianJu": spacings, "nHunNingTuDengJi": [25, 35]}).at_slip
        self.assertEqual(grid.shape, (20, 2))
        for i, s in enumerate(spacings):
            for j, grade in enumerate([25, 35]):
                one = r.copy()
                one.fZhuangJianJu = float(s)
                one.nHunNingTuDengJi = grade
                self.assertAlmostEqual(grid[i, j], kangli.calculate(one).at_slip, places=6)
        with self.assertRaises(ValueError):
            kangli.sweep(r, {"fNope": [1, 2]})

    def test_one_input_under_two_spellings_is_refused(self):
        r = kangli.Record.load(os.path.join(EXAMPLES, "circular-pile-into-rock.json"))
        for spelt in ["TuCeng[02].fMoCaJiao", "TuCeng[+2].fMoCaJiao", "TuCeng[ 2].fMoCaJiao"]:
            with self.assertRaises(ValueError) as caught:
                kangli.sweep(r, {"TuCeng[2].fMoCaJiao": [30, 31], spelt: [33]})
            self.assertIn('key "TuCeng[2].fMoCaJiao" is varied twice', str(caught.exception))
            # Alone, it is that layer's input.
            grid = kangli.sweep(r, {spelt: [30, 31]})
            self.assertEqual(grid.keys, ["TuCeng[2].fMoCaJiao"])
            self.assertEqual(list(grid.at_slip), list(kangli.sweep(r, {"TuCeng[2].fMoCaJiao": [30, 31]}).at_slip))
        with self.assertRaises(ValueError):
            kangli.sweep(r, {"fZhuangJianJu": []})

    def test_a_sweep_is_bounded_and_interruptible(self):
        r = kangli.Record.load(os.path.join(EXAMPLES, "circular-pile-into-rock.json"))
        started = time.monotonic()
        with self.assertRaises(ValueError) as caught:
            kangli.sweep(r, {"fZhuangJianJu": numpy.linspace(3, 13, 10000), "fZhuangJing": numpy.linspace(0.5, 1.5, 1000)})
        self.assertIn("10000000 combinations (10000 x 1000): more than the 1000000 one study calculates",
                      str(caught.exception))
        self.assertLess(time.monotonic() - started, 1)
        # Ctrl-C in the middle of a long sweep is acted on within a second.
        script = ("import kangli, numpy, sys\n"
                  "r = kangli.Record.load(sys.argv[1])\n"
                  "print('start', flush=True)\n"
                  "kangli.sweep(r, {'fZhuangJianJu': numpy.linspace(3, 13, 1000), 'fZhuangJing': numpy.linspace(0.5, 1.5, 1000)})\n"
                  "print('finished', flush=True)\n")
        run = subprocess.Popen([sys.executable, "-c", script, os.path.join(EXAMPLES, "circular-pile-into-rock.json")],
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        self.assertEqual(run.stdout.readline(), "start\n")
        time.sleep(0.5)
        run.send_signal(signal.SIGINT)
        interrupted = time.monotonic()
        try:
            out, err = run.communicate(timeout=30)
        finally:
            run.kill()
        self.assertLess(time.monotonic() - interrupted, 1.0)
        self.assertIn("KeyboardInterrupt", err)
        self.assertNotIn("finished", out)

    def test_piles_that_cannot_be_built_are_not_calculated(self):
        r = kangli.Record.load(os.path.join(EXAMPLES, "circular-pile-into-rock.json"))
        grid = kangli.sweep(r, {"fZhuangJianJu": [0.5, 2.3, 2.4, 4]}).at_slip  # a 1.2 m pile
        self.assertTrue(math.isnan(grid[0]) and math.isnan(grid[1]))
        self.assertFalse(math.isnan(grid[2]) or math.isnan(grid[3]))

    def test_a_sweep_says_what_each_cell_is(self):
        r = kangli.Record.load(os.path.join(EXAMPLES, "circular-pile-into-rock.json"))
        res = kangli.sweep(r, {"fZhuangJianJu": [2, 3, 4], "fZhuangJing": [1.2, 1.6]})
        self.assertEqual(res.keys, ["fZhuangJianJu", "fZhuangJing"])
        self.assertEqual([list(v) for v in res.values], [[2, 3, 4], [1.2, 1.6]])
        for i, s in enumerate([2, 3, 4]):
            for j, d in enumerate([1.2, 1.6]):
                one = r.copy()
                one.fZhuangJianJu, one.fZhuangJing = s, d
                if s < 2 * d:  # less than one pile width between the piles
                    self.assertEqual(res.status[i, j], 0)
                    self.assertIn("not buildable", res.message[i, j])
                    self.assertEqual(res.governs[i, j], "")
                    self.assertTrue(math.isnan(res.at_slip[i, j]))
                    continue
                single = kangli.calculate(one)
                self.assertEqual(res.status[i, j], 1)
                self.assertEqual(res.governs[i, j], single.governs)
                self.assertAlmostEqual(res.at_slip[i, j], single.at_slip, places=6)
                self.assertAlmostEqual(res.pile[i, j], single.pile_at_slip, places=6)
                self.assertAlmostEqual(res.ground[i, j], single.ground_at_slip, places=6)
                self.assertAlmostEqual(res.concrete[i, j], math.pi * d * d / 4 * 16 / s, places=4)
        rows = res.rows()
        self.assertEqual(len(rows), 6)
        self.assertEqual((rows[5]["fZhuangJianJu"], rows[5]["fZhuangJing"], rows[5]["governs"]), (4, 1.6, "pile"))
        self.assertIn("SweepResult 3 fZhuangJianJu x 2 fZhuangJing", repr(res))
        try:
            import pandas
        except ImportError:
            pass
        else:
            self.assertEqual(len(res.to_dataframe()), 6)
        # Values that are not numbers: said plainly.
        for bad in (["a", 1], [True], "345", [None]):
            with self.assertRaises(ValueError) as caught:
                kangli.sweep(r, {"fZhuangJianJu": bad})
            self.assertIn('key "fZhuangJianJu"', str(caught.exception))
        with self.assertWarns(UserWarning):
            kangli.sweep(r, {"fZhuangKuan": [1, 2]})

    def test_drawings_and_books_are_what_the_command_line_writes(self):
        r = kangli.Record.load(os.path.join(EXAMPLES, "circular-pile-into-rock.json"))
        with tempfile.TemporaryDirectory() as d:
            written = kangli.report(r, os.path.join(d, "out"))
            self.assertEqual([os.path.basename(p) for p in written],
                             ["kl.dat", "kl.json", "kl-jt0.dxf", "kl-jt1.dxf", "kl-jt2.dxf", "kl-jss0.rtf",
                              "kl-jss1.rtf"])  # the JSON holds what the data file cannot
            subprocess.run([KANGLI, "report", os.path.join(EXAMPLES, "circular-pile-into-rock.json"),
                            os.path.join(d, "cli")], check=True, capture_output=True)
            for name in ["kl-jt0.dxf", "kl-jt1.dxf", "kl-jt2.dxf"]:
                with open(os.path.join(d, "out", name), "rb") as a, open(os.path.join(d, "cli", name), "rb") as b:
                    self.assertEqual(a.read(), b.read(), name)
            kangli.draw(r, 1, os.path.join(d, "result.svg"))
            self.assertGreater(os.path.getsize(os.path.join(d, "result.svg")), 1000)

    def test_the_readmes_five_minute_python_runs(self):
        # The README's lines as they stand there, run from the project root.
        root = os.path.dirname(EXAMPLES)
        with open(os.path.join(root, "README.md"), encoding="utf-8") as f:
            text = f.read()
        block = text[text.index("    import kangli\n"):]
        lines = []
        for line in block.split("\n"):
            if not line.startswith("    "):
                break
            lines.append(line[4:])
        os.chdir(root)
        printed = subprocess.run([sys.executable, "-c", "\n".join(lines)], capture_output=True, text=True,
                                 env=dict(os.environ), check=True).stdout.split()
        self.assertEqual(printed[1], "pile")
        self.assertEqual(float(printed[0]), kangli.calculate(self._spaced(3.5)).at_slip)

    @staticmethod
    def _spaced(spacing):
        r = kangli.Record.load(os.path.join(EXAMPLES, "circular-pile-into-rock.json"))
        r.fZhuangJianJu = spacing
        return r

    def test_the_python_pages_plot_runs(self):
        # The plot of docs/python.md, to a file instead of a window.
        try:
            import matplotlib
        except ImportError:
            self.skipTest("python3-matplotlib not installed")
        matplotlib.use("Agg")
        os.chdir(os.path.dirname(EXAMPLES))
        import kangli, matplotlib.pyplot as plt
        r = kangli.Record.load("examples/circular-pile-into-rock.json")
        r.fZhuangJianJu = 3.5
        res = kangli.calculate(r)
        plt.plot(res.final, -res.depth); plt.xlabel("final resistance (kN/m)"); plt.ylabel("depth (m)")
        with tempfile.TemporaryDirectory() as d:
            plt.savefig(os.path.join(d, "plot.png"))
            self.assertGreater(os.path.getsize(os.path.join(d, "plot.png")), 1000)


class PileForces(unittest.TestCase):
    RECORD = {"fZhuangKuan": 2.0, "fZhuangGao": 2.5, "nJieMianXingZhuang": 1, "fZhuangJianJu": 6,
              "fZhuangChang": 19, "fHuaMianDaoZhuangDing": 9, "nHunNingTuDengJi": 30, "fPoMianDaoZhuangDing": 0,
              "TuCeng": [{"fHouDu": 9}, {"nLeiXing": 1, "fHouDu": 20, "fNianJuLi": 300, "fMoCaJiao": 35}],
              "SheJi": {"fTuiLi": 894.5, "nTuiLiFenBu": 0, "nDiJiFa": 0, "fK": 120000, "fGangDuXiShu": 0.8}}

    def test_python_gives_what_the_command_line_gives(self):
        # The parity table: each Python call beside the command it stands for,
        # on every design example and on a refused block.
        refused = json.loads(open(os.path.join(EXAMPLES, "design", "defaults.json")).read())
        refused["SheJi"]["nZhuangDi"] = 2
        with tempfile.TemporaryDirectory() as d:
            with open(os.path.join(d, "refused.json"), "w") as out:
                json.dump(refused, out)
            paths = [os.path.join(EXAMPLES, "design", n) for n in sorted(os.listdir(os.path.join(EXAMPLES, "design")))]
            for path in paths + [os.path.join(d, "refused.json")]:
                r = kangli.Record.load(path)
                cli = subprocess.run([KANGLI, "forces", path, "--json"], capture_output=True, text=True)
                f = kangli.forces(r)
                # kangli forces --json  <->  kangli.forces(r).to_dict()
                self.assertEqual(f.to_dict(), json.loads(cli.stdout), path)
                if f.status != 1:
                    self.assertEqual(cli.returncode, 1)
                    self.assertEqual(f.reason, f.to_dict()["reason"])
                    self.assertTrue(math.isnan(f.max_moment) and math.isnan(f.slip_displacement))
                    self.assertIsNone(f.reinforcement)
                    self.assertEqual(f.field, "SheJi.nZhuangDi")
                    with self.assertRaises(ValueError) as e:
                        kangli.draw(r, 3, os.path.join(d, "no.svg"))
                    self.assertIn("SheJi.nZhuangDi", str(e.exception))
                    with self.assertRaises(ValueError):
                        kangli.report(r, os.path.join(d, "none"))
                    self.assertFalse(os.path.exists(os.path.join(d, "none")))
                    continue
                j = json.loads(cli.stdout)
                # The attributes are the JSON's numbers, in the JSON's units (mm).
                self.assertEqual(f.slip_displacement, j["slip"]["displacement"])
                self.assertEqual(f.max_displacement, j["max_displacement"]["value"])
                self.assertEqual(list(f.displacement), [p["displacement"] for p in j["points"]])
                self.assertEqual(list(f.moment), [p["moment"] for p in j["points"]])
                self.assertEqual(f.reinforcement, j["reinforcement"])
                self.assertEqual(f.checks, j["checks"])
                # kangli draw RECORD 3 [--units none]  <->  kangli.draw(r, 3, path[, units="none"])
                for units in ["declared", "none"]:
                    mine, theirs = os.path.join(d, "py.dxf"), os.path.join(d, "cli.dxf")
                    kangli.draw(r, 3, mine, units=units)
                    subprocess.run([KANGLI, "draw", path, "3", theirs] + (["--units", "none"] if units == "none" else []),
                                   check=True, capture_output=True)
                    with open(mine, "rb") as a, open(theirs, "rb") as b:
                        self.assertEqual(a.read(), b.read(), (path, units))
                # kangli report RECORD DIR  <->  kangli.report(r, dir): the same files, the forces' too
                written = kangli.report(r, os.path.join(d, "py"))
                listed = subprocess.run([KANGLI, "report", path, os.path.join(d, "cli")], check=True,
                                        capture_output=True, text=True).stdout.split()
                self.assertEqual([os.path.basename(p) for p in written], [os.path.basename(p) for p in listed])
                self.assertTrue(any(p.endswith("-nl-jt.dxf") for p in written), written)

    def test_forces_read_as_a_reviewer_reads_them(self):
        r = kangli.Record.from_dict(self.RECORD)
        f = kangli.forces(r)
        self.assertEqual(f.status, 1, f.message)
        # The published elastic pile: 12.6 mm at the slip surface, in mm as the book prints it.
        self.assertAlmostEqual(f.slip_displacement, 12.6, delta=0.05)
        self.assertIsNone(f.rotation_centre)
        rf = f.reinforcement
        # h0 = 2500 - 100 mm; x = h0 - sqrt(h0^2 - 2M/(alpha1 fc b)); As = alpha1 fc b x / fy.
        x = rf["h0"] - math.sqrt(rf["h0"] ** 2 - 2 * rf["moment"] * 1e6 / (rf["alpha1"] * 14.3 * rf["b"]))
        self.assertEqual((rf["b"], rf["h0"], rf["fy"]), (2000, 2400, 360))
        self.assertAlmostEqual(rf["x"], x, delta=1e-4)  # fc is held as a 32-bit real
        self.assertAlmostEqual(rf["longitudinal_area"], rf["alpha1"] * 14.3 * rf["b"] * x / rf["fy"], delta=1e-3)
        self.assertIn("elastic pile, K method", repr(f))
        self.assertIn("fK=120000", repr(r.SheJi))
        self.assertEqual(kangli.__version__.count("."), 2)

    def test_the_design_block_is_the_records_own(self):
        r = kangli.Record.from_dict(self.RECORD)
        before = kangli.forces(r).coefficient
        r.SheJi.fK = 2e4  # softer ground: a smaller beta, on the record itself
        self.assertLess(kangli.forces(r).coefficient, before)
        self.assertEqual(r.to_dict()["SheJi"]["fK"], 20000)
        # A dict is read as a JSON record's block: the keys not given take their defaults.
        r.SheJi = {"fTuiLi": 894.5, "nDiJiFa": 0, "fK": 120000}
        self.assertEqual(r.SheJi.to_dict(), dict(kangli.Design().to_dict(), fTuiLi=894.5, nDiJiFa=0, fK=120000))
        for bad, key in [({"fTuiLI": 500}, "SheJi.fTuiLI"), ({"fTuiLi": float("nan")}, "SheJi.fTuiLi"),
                         ({"fTuiLi": "500"}, "SheJi.fTuiLi")]:
            with self.assertRaises(ValueError) as e:
                r.SheJi = bad
            self.assertIn(key, str(e.exception))
            self.assertEqual(r.SheJi.fTuiLi, 894.5)  # a refused block leaves the record's
        with self.assertRaises(ValueError) as e:
            kangli.Record.from_dict(dict(self.RECORD, SheJi={"fTuiLi": float("inf")}))
        self.assertIn("SheJi.fTuiLi", str(e.exception))
        # NumPy numbers are numbers; a wrong type is refused naming the key.
        r.SheJi = {"fTuiLi": numpy.float32(400), "nDiJiFa": numpy.int64(0), "fK": 120000}
        self.assertEqual((r.SheJi.fTuiLi, r.SheJi.nDiJiFa), (400, 0))
        for key, bad in [("fTuiLi", "3"), ("nDiJiFa", 1.5), ("nDiJiFa", "1")]:
            with self.assertRaises(TypeError) as e:
                setattr(r.SheJi, key, bad)
            self.assertIn("SheJi." + key, str(e.exception))
        r.SheJi = None
        f = kangli.forces(r)
        self.assertEqual(f.status, 0)
        self.assertIn("SheJi", f.message)
        with self.assertRaises(ValueError):
            kangli.Design().fTuiLi = float("inf")

    def test_the_block_is_never_dropped_and_the_checks_are_there(self):
        r = kangli.Record.from_dict(self.RECORD)
        with tempfile.TemporaryDirectory() as d:
            with self.assertRaises(ValueError) as e:
                r.save(os.path.join(d, "k.dat"))
            self.assertIn("SheJi", str(e.exception))
            self.assertFalse(os.path.exists(os.path.join(d, "k.dat")))
        r.SheJi.fYunXuHuaMianWeiYi = 10
        checks = kangli.forces(r).checks
        self.assertEqual([c["key"] for c in checks], ["SheJi.fYunXuHuaMianWeiYi"])
        self.assertFalse(checks[0]["holds"])  # 12.6 mm against 10
        self.assertEqual(checks[0]["unit"], "mm")


    def test_a_data_file_that_would_lose_a_value_is_never_written(self):
        # A reduction factor other than 0.3 has no place in the data file: the
        # save is refused naming the key, the old file stays, JSON keeps it.
        r = kangli.Record()
        r.fZheJianXiShu = 0.5
        with tempfile.TemporaryDirectory() as d:
            path = os.path.join(d, "k.dat")
            with open(path, "w") as f:
                f.write("the user's old file")
            with self.assertRaises(ValueError) as e:
                r.save(path)
            self.assertIn("fZheJianXiShu", str(e.exception))
            self.assertIn(".json", str(e.exception))
            with open(path) as f:
                self.assertEqual(f.read(), "the user's old file")
            r.save(os.path.join(d, "k.json"))
            self.assertEqual(kangli.Record.load(os.path.join(d, "k.json")).fZheJianXiShu, 0.5)


if __name__ == "__main__":
    unittest.main()
