"""`import kangli` as a notebook user meets it: what the binding adds to the
calculation the C++ tests check (conversions, errors as Python exceptions), and
parity with the command line. Run by CTest with /usr/bin/python3; the
environment names the kangli program and the examples folder."""
import gc, json, math, os, signal, subprocess, sys, tempfile, time, unittest

import numpy

import kangli

EXAMPLES = os.environ["KANGLI_EXAMPLES_DIR"]
KANGLI = os.environ["KANGLI_EXE"]
CIRCULAR = os.path.join(EXAMPLES, "circular-pile-into-rock.json")


def cli(*args):
    return subprocess.run([KANGLI, *args], capture_output=True, text=True)


class Parity(unittest.TestCase):
    """The same record gives in Python what it gives on the command line."""

    def test_a_record_edited_through_its_attributes_calculates_as_the_command_line(self):
        r = kangli.Record.load(CIRCULAR)
        r.fZhuangJianJu = numpy.float32(3.5)  # NumPy numbers are numbers
        r.TuCeng[0].fMoCaJiao = 20  # a layer edited through the record changes the record
        r.TuCeng[-1].fHouDu = numpy.int64(12)
        res = kangli.calculate(r)
        self.assertEqual(res.status, 1, res.message)
        with tempfile.TemporaryDirectory() as d:
            r.save(os.path.join(d, "r.json"))
            self.assertEqual(kangli.Record.load(os.path.join(d, "r.json")).to_dict(), r.to_dict())
            expected = json.loads(cli("calc", "--json", os.path.join(d, "r.json")).stdout)["points"]
        # The command line prints each float32 in the shortest form that reads
        # back to it: read back as float32, the two are the same bits.
        self.assertEqual(res.final.dtype, numpy.float32)
        for key in ("depth", "ground", "pile", "final"):
            self.assertEqual(list(getattr(res, key)), [numpy.float32(p[key]) for p in expected], key)

    FILES = {
        "no-layers.json": '{"fZhuangJianJu": 3}',
        "counted-not-given.json": '{"fZhuangJianJu": 3, "nTuCengShu": 2}',
        "one-layer.json": '{"fZhuangJianJu": 3, "TuCeng": [{"fHouDu": 12}]}',
        "layers-not-a-list.json": '{"TuCeng": {}}',
        "given-twice.json": '{"fZhuangJianJu": 3, "fZhuangJianJu": 4}',
        "no-pile-values.dat": 'hello\n',
        "nan-length.dat": open(os.path.join(os.path.dirname(EXAMPLES), "tests", "broken", "nan-length.dat")).read(),
    }

    def test_every_file_is_read_calculated_or_refused_alike_with_the_same_message(self):
        with tempfile.TemporaryDirectory() as d:
            for name, text in self.FILES.items():
                path = os.path.join(d, name)
                open(path, "w").write(text)
                run = cli("calc", "--json", path)
                message = run.stderr.removeprefix("kangli: " + path + ": ").rstrip("\n")
                try:
                    r = kangli.Record.load(path)
                except ValueError as e:  # unreadable: exit 2, the same line
                    self.assertEqual((2, str(e)), (run.returncode, path + ": " + message), name)
                    if name.endswith(".json") and name != "given-twice.json":  # a dict cannot hold a key twice
                        with self.assertRaises(ValueError, msg=name) as caught:
                            kangli.Record.from_dict(json.loads(text))
                        self.assertEqual(str(caught.exception), message, name)
                    continue
                res = kangli.calculate(r)
                finals = [numpy.float32(p["final"]) for p in json.loads(run.stdout)["points"]]
                if res.status == 1:
                    self.assertEqual((run.returncode, run.stderr), (0, ""), name)
                    self.assertEqual(list(res.final), finals, name)
                else:  # refused: exit 1, the message naming the key; NaN and no points
                    self.assertEqual((run.returncode, res.message), (1, message), name)
                    self.assertTrue(math.isnan(res.at_slip) and len(res.final) == 0 and finals == [], name)
                if name.endswith(".json"):
                    self.assertEqual(kangli.Record.from_dict(json.loads(text)).to_dict(), r.to_dict(), name)

    def test_forces_drawings_and_reports_are_the_command_lines(self):
        # Each Python call beside the command it stands for, on a plain record,
        # every design example and a refused design block.
        refused = json.load(open(os.path.join(EXAMPLES, "design", "defaults.json")))
        refused["SheJi"]["nZhuangDi"] = 2
        with tempfile.TemporaryDirectory() as d:
            json.dump(refused, open(os.path.join(d, "refused.json"), "w"))
            design = os.path.join(EXAMPLES, "design")
            paths = [CIRCULAR] + [os.path.join(design, n) for n in sorted(os.listdir(design))]
            for path in paths + [os.path.join(d, "refused.json")]:
                r = kangli.Record.load(path)
                if r.SheJi is None:
                    self.assertEqual(kangli.forces(r).status, 0)
                    self.assertEqual(cli("forces", path).returncode, 1)
                else:
                    # kangli forces --json  <->  kangli.forces(r).to_dict(), and the attributes are its numbers
                    f, run = kangli.forces(r), cli("forces", path, "--json")
                    self.assertEqual(f.to_dict(), json.loads(run.stdout), path)
                    j = f.to_dict()
                    if f.status != 1:  # refused: the key named, NaN for every number
                        self.assertEqual((run.returncode, f.field, f.reason, f.reinforcement), (1, "SheJi.nZhuangDi", j["reason"], None))
                        self.assertTrue(math.isnan(f.max_moment) and math.isnan(f.slip_displacement))
                        with self.assertRaisesRegex(ValueError, "SheJi.nZhuangDi"):
                            kangli.report(r, os.path.join(d, "none"))
                        self.assertFalse(os.path.exists(os.path.join(d, "none")))
                        continue
                    self.assertEqual((f.slip_displacement, f.max_moment, list(f.moment), f.reinforcement, f.checks),
                                     (j["slip"]["displacement"], j["max_moment"]["value"], [p["moment"] for p in j["points"]],
                                      j["reinforcement"], j["checks"]))
                # kangli draw RECORD N [--units none]  <->  kangli.draw(r, N, path[, units="none"])
                for n, units in [(1, "declared"), (2, "none")] + ([(3, "declared"), (3, "none")] if r.SheJi else []):
                    mine, theirs = os.path.join(d, "py.dxf"), os.path.join(d, "cli.dxf")
                    kangli.draw(r, n, mine, units=units)
                    self.assertEqual(cli("draw", path, str(n), theirs, "--units", units).returncode, 0)
                    self.assertEqual(open(mine, "rb").read(), open(theirs, "rb").read(), (path, n, units))
                # kangli report RECORD DIR  <->  kangli.report(r, dir): the same files, the same drawings
                written = kangli.report(r, os.path.join(d, "py"))
                listed = cli("report", path, os.path.join(d, "cli")).stdout.split()
                self.assertEqual([os.path.basename(p) for p in written], [os.path.basename(p) for p in listed])
                for p in written:
                    if p.endswith(".dxf"):
                        self.assertEqual(open(p, "rb").read(), open(os.path.join(d, "cli", os.path.basename(p)), "rb").read(), p)

    def test_the_readmes_five_minute_python_runs(self):
        # The README's lines as they stand there, run from the project root.
        root = os.path.dirname(EXAMPLES)
        text, lines = open(os.path.join(root, "README.md"), encoding="utf-8").read(), []
        for line in text[text.index("    import kangli\n"):].split("\n"):
            if not line.startswith("    "):
                break
            lines.append(line[4:])
        printed = subprocess.run([sys.executable, "-c", "\n".join(lines)], capture_output=True, text=True,
                                 cwd=root, check=True).stdout.split()
        r = kangli.Record.load(CIRCULAR)
        r.fZhuangJianJu = 3.5
        self.assertEqual(printed, [str(kangli.calculate(r).at_slip), "pile"])


class Binding(unittest.TestCase):
    def test_every_field_is_a_documented_attribute_seen_in_the_dict_form(self):
        r, layer = kangli.Record(), kangli.Layer()
        record_keys = [k for k in r.to_dict() if k not in ("TuCeng", "JsDataBase", "nTuCengShu")]
        layer_keys = list(r.to_dict()["TuCeng"][0])
        for obj, keys in ((r, record_keys), (layer, layer_keys)):
            for n, key in enumerate(keys):
                self.assertTrue(getattr(type(obj), key).__doc__, key)
                setattr(obj, key, 40 + n)
        r.TuCeng = [layer]
        d = r.to_dict()
        self.assertEqual([d[k] for k in record_keys] + [d["TuCeng"][0][k] for k in layer_keys],
                         list(range(40, 40 + len(record_keys))) + list(range(40, 40 + len(layer_keys))))

    def test_layers_and_the_design_block_are_views_of_the_record(self):
        r = kangli.Record.load(CIRCULAR)
        kept = r.TuCeng[2]
        r.TuCeng = [r.TuCeng[0]]
        self.assertEqual((r.nTuCengShu, len(r.TuCeng)), (1, 1))
        with self.assertRaises(IndexError):
            kept.fHouDu = 3  # the record has no layer 2 any more: never silently lost
        d = kangli.Record.load(os.path.join(EXAMPLES, "design", "rectangular-pile-soil-layers.json"))
        before = kangli.forces(d).coefficient
        d.SheJi.fM = 2e3  # softer ground: a smaller coefficient, on the record itself
        self.assertLess(kangli.forces(d).coefficient, before)
        # A dict is read as a JSON record's block: the keys not given take their defaults.
        d.SheJi = {"fTuiLi": 894.5, "nDiJiFa": 0, "fK": numpy.float32(120000)}
        self.assertEqual(d.SheJi.to_dict(), dict(kangli.Design().to_dict(), fTuiLi=894.5, nDiJiFa=0, fK=120000))
        # Anchor cables and the layers' ground, live as the layers are.
        a = kangli.Record.load(os.path.join(EXAMPLES, "design", "layered-pile-with-anchor.json"))
        cable, before = a.SheJi.MaoSuo[0], kangli.forces(a).anchors[0]["force"]
        cable.fYuLi += 300  # locked off harder: it pulls harder
        self.assertGreater(kangli.forces(a).anchors[0]["force"], before)
        a.TuCeng[2].fK *= 2  # stiffer rock: a smaller displacement at the foot
        self.assertEqual(a.to_dict()["TuCeng"][2]["fK"], 1.2e6)
        a.SheJi.MaoSuo = []
        with self.assertRaises(IndexError):
            cable.fYuLi = 1
        a.SheJi.MaoSuo.append({"fShenDu": 2, "fGangDu": numpy.float64(3e4)})
        a.SheJi.MaoSuo.append(kangli.Anchor(fShenDu=4))
        self.assertEqual([(m["fShenDu"], m["fGangDu"]) for m in a.to_dict()["SheJi"]["MaoSuo"]], [(2, 3e4), (4, 2e4)])
        with self.assertRaisesRegex(KeyError, "SheJi.MaoSuo.0..fYuLI: unknown key; did you mean fYuLi"):
            a.SheJi.MaoSuo = [{"fYuLI": 1}]
        self.assertEqual(len(a.SheJi.MaoSuo), 2)
        # A refusal is a result, and calculate works on a copy.
        d.fZhuangJianJu = 0
        kept = d.to_dict()
        self.assertIn("fZhuangJianJu", kangli.calculate(d).message)
        self.assertEqual(d.to_dict(), kept)
        depth = kangli.calculate(kangli.Record()).depth  # an array outlives its result
        gc.collect()
        self.assertEqual((float(depth[0]), float(depth[-1])), (10.0, 0.0))

    def test_what_cannot_be_held_or_done_raises_naming_it_and_changes_nothing(self):
        r = kangli.Record.load(CIRCULAR)
        r.SheJi = {"fTuiLi": 894.5}
        before = r.to_dict()

        def assign(target, key, value):
            return lambda: setattr(target, key, value)

        with tempfile.TemporaryDirectory() as d:
            victim, old = os.path.join(d, "victim.txt"), os.path.join(d, "old.dat")
            with open(old, "w") as f:
                f.write("the user's old file")
            cases = [  # what is done, the exception, what its message names
                (assign(r, "fZhuangJianJu", 1e50), ValueError, "fZhuangJianJu"),
                (assign(r.TuCeng[0], "fMoCaJiao", float("inf")), ValueError, "fMoCaJiao"),
                (lambda: r.TuCeng[5], IndexError, ""),
                (assign(r, "SheJi", {"fTuiLI": 500}), ValueError, "SheJi.fTuiLI"),
                (assign(r, "SheJi", {"fTuiLi": "500"}), ValueError, "SheJi.fTuiLi"),
                (assign(r.SheJi, "fTuiLi", "3"), TypeError, "SheJi.fTuiLi"),
                (lambda: kangli.Record.from_dict({"fZhuangChang": "long"}), ValueError, "fZhuangChang"),
                (lambda: kangli.Record.load(victim + "\0.json"), ValueError, "NUL"),
                (lambda: kangli.report(r, victim + "\0"), ValueError, "NUL"),
                (lambda: kangli.draw(r, 5, os.path.join(d, "blank.svg")), ValueError, ""),
                (lambda: kangli.draw(r, 1, os.path.join(d, "x.bmp")), ValueError, ".bmp"),
                (lambda: r.save(old), ValueError, "SheJi"),  # the data file cannot hold the block
                (lambda: kangli.sweep(r, {"fNope": [1, 2]}), ValueError, "fNope"),
                (lambda: kangli.sweep(r, {"fZhuangJianJu": ["a", 1]}), ValueError, 'key "fZhuangJianJu"'),
                (lambda: kangli.sweep(r, {"TuCeng[2].fMoCaJiao": [30], "TuCeng[+02].fMoCaJiao": [33]}), ValueError,
                 'key "TuCeng[2].fMoCaJiao" is varied twice'),
            ]
            for n, (call, exception, named) in enumerate(cases):
                with self.assertRaises(exception, msg=n) as caught:
                    call()
                self.assertIn(named, str(caught.exception), n)
                self.assertEqual(r.to_dict(), before, n)
            self.assertEqual(sorted(os.listdir(d)), ["old.dat"])
            self.assertEqual(open(old).read(), "the user's old file")

    def test_the_design_search_is_the_command_lines(self):
        # kangli.design(r, vary)  <->  kangli design RECORD --vary ... --csv -: the same passes, checks and order.
        path = os.path.join(EXAMPLES, "design", "layered-pile-with-anchor.json")
        vary = {"fZhuangJianJu": [4, 5.5, 7], "fZhuangChang": [19, 23], "fZhuangGao": [2, 3]}
        d = kangli.design(kangli.Record.load(path), vary)
        run = cli("design", path, *sum((["--vary", f"{k}={v[0]}:{v[-1]}:{v[1] - v[0]}"] for k, v in vary.items()), []), "--csv", "-")
        rows = [line.split(",") for line in run.stdout.lstrip("\ufeff").splitlines()[1:]]
        combos = d.combinations if isinstance(d.combinations, list) else d.combinations.to_dict("records")
        self.assertEqual([(c["passes"], c["governing"], c["failed"]) for c in combos],
                         [(r[6] == "1", r[7], r[8 + 1]) for r in rows])
        self.assertEqual([a["passes"] for a in d.answers], [True] * len(d.answers))
        self.assertEqual(sorted((a["concrete"], a["steel"]) for a in d.answers), [(a["concrete"], a["steel"]) for a in d.answers])
        with self.assertRaisesRegex(ValueError, "the design block gives the thrust"):
            kangli.design(kangli.Record.load(path), vary, thrust=100)
        with self.assertRaisesRegex(TypeError, "thrust: expected a number"):
            kangli.design(kangli.Record.load(CIRCULAR), {"fZhuangJianJu": [3]}, thrust="800")
        with self.assertRaisesRegex(ValueError, "give one, two or three keys"):  # as the command line
            kangli.design(kangli.Record.load(path), dict(vary, fZhuangRongZhong=[25]))

    def test_a_sweep_is_a_grid_of_single_calculations(self):
        r = kangli.Record.load(CIRCULAR)
        res = kangli.sweep(r, {"fZhuangJianJu": numpy.array([2, 3, 4]), "fZhuangJing": [1.2, 1.6]})
        self.assertEqual((res.keys, [list(v) for v in res.values]), (["fZhuangJianJu", "fZhuangJing"], [[2, 3, 4], [1.2, 1.6]]))
        self.assertEqual(res.at_slip.shape, (3, 2))
        for i, s in enumerate([2, 3, 4]):
            for j, d in enumerate([1.2, 1.6]):
                if s < 2 * d:  # less than one pile width between the piles: not calculated, NaN
                    self.assertEqual((res.status[i, j], res.governs[i, j], res.message[i, j][:13]), (0, "", "not buildable"))
                    self.assertTrue(math.isnan(res.at_slip[i, j]))
                    continue
                one = r.copy()
                one.fZhuangJianJu, one.fZhuangJing = s, d
                single = kangli.calculate(one)
                self.assertEqual((res.status[i, j], res.governs[i, j], res.at_slip[i, j], res.pile[i, j], res.ground[i, j]),
                                 (1, single.governs, single.at_slip, single.pile_at_slip, single.ground_at_slip))
                self.assertAlmostEqual(res.concrete[i, j], math.pi * d * d / 4 * 16 / s, places=4)
        self.assertEqual(res.rows()[5], dict(res.rows()[5], fZhuangJianJu=4, fZhuangJing=1.6, governs="pile"))
        with self.assertWarns(UserWarning):  # a width acts only on a rectangular section
            kangli.sweep(r, {"fZhuangKuan": [1, 2]})

    def test_ctrl_c_stops_a_long_sweep_promptly(self):
        script = ("import kangli, numpy, sys; r = kangli.Record.load(sys.argv[1]); print('start', flush=True); "
                  "kangli.sweep(r, {'fZhuangJianJu': numpy.linspace(3, 13, 1000), 'fZhuangJing': numpy.linspace(0.5, 1.5, 1000)}); "
                  "print('finished', flush=True)")
        run = subprocess.Popen([sys.executable, "-c", script, CIRCULAR], stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        self.assertEqual(run.stdout.readline(), "start\n")
        time.sleep(0.5)
        run.send_signal(signal.SIGINT)
        interrupted = time.monotonic()
        try:
            out, err = run.communicate(timeout=30)
        finally:
            run.kill()
        # Within a slice of the work (about a second on an idle machine; the
        # whole sweep takes six), with room for a machine busy with other work.
        self.assertLess(time.monotonic() - interrupted, 3.0)
        self.assertIn("KeyboardInterrupt", err)
        self.assertNotIn("finished", out)


if __name__ == "__main__":
    unittest.main()
