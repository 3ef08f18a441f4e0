#!/usr/bin/python3
"""A second, independent implementation of the resistance calculation in Python,
written from the formulas (Rankine passive pressure with cohesion over the soil
zone, shear along the 45 - phi/2 plane through the rock, concrete shear of the
section), compared with `kangli calc --json` on random plausible records.

Values are held in double precision; only the quantities that the calculation
rounds to 32-bit floats where it matters for the geometry (point depths, layer
boundaries, the water level) are rounded the same way here, so that a depth on a
boundary falls on the same side in both. Results must agree to 1e-5 relative
(the rounding of 32-bit floats stays below 1e-6).

usage: reference_check.py KANGLI [START] [COUNT]
(START numbers the random sequence of records, so a run can be repeated.)
"""
import json, math, os, random, struct, subprocess, sys, tempfile


def f32(x):
    """x rounded to a 32-bit float."""
    return struct.unpack('f', struct.pack('f', x))[0]


PI = 3.1415926535
EPS = 1e-5  # depth comparisons, m

CONCRETE = {  # grade: (fc, ftk) in N/mm2, GB 50010
    15: (7.2, 1.27), 20: (9.6, 1.54), 25: (11.9, 1.78), 30: (14.3, 2.01), 35: (16.7, 2.20),
    40: (19.1, 2.39), 45: (21.1, 2.51), 50: (23.1, 2.64), 55: (25.3, 2.74), 60: (27.5, 2.85),
    65: (29.7, 2.93), 70: (31.8, 2.99), 75: (33.8, 3.05), 80: (35.9, 3.11),
}


def add_unique(depths, z):
    """Appends z unless a depth within 0.01 m is there already."""
    if all(abs(e - z) >= 0.01 for e in depths):
        depths.append(z)


def calculation_points(length):
    """Depths from the pile foot up to the top: a step of L/20 rounded down to
    0.1 m and at most 1 m (L/20 itself for piles under 2 m)."""
    depths = []

    def insert(v):
        for i, e in enumerate(depths):
            if abs(e - v) < 0.01:
                return
            if v > e:
                depths.insert(i, v)
                return
        depths.append(v)

    insert(0.0)
    step = f32(math.trunc(f32(length / 20) * 10) / 10)
    if step - 1 > EPS:
        step = 1.0
    if length <= 0:
        insert(length)
        return depths
    if step <= 0:
        step = length / 20
    z = 0.0
    while True:
        z = f32(z + step)
        if z < length:
            insert(z)
        if z >= length:
            break
    insert(length)
    return depths


class Ground:
    """The layers in front of the pile: which layer lies at a depth, the vertical
    stress, the strength above or under water, the Rankine passive pressure."""

    def __init__(self, r):
        self.t = r['fPoMianDaoZhuangDing']
        self.layers = r['TuCeng']
        self.n = len(self.layers)
        self.water = r['bKaoLvShui'] == 1
        self.w = f32(self.t + r['fShuiWeiShenDu'])

    def layer_at(self, z):
        """Index of the layer at depth z; a boundary belongs to the layer below;
        above the slope surface is the first layer, below the last one its own."""
        if self.n == 0:
            return -1
        if self.n == 1:
            return 0
        top, bottom = 0.0, self.t
        for i in range(self.n):
            bottom = 1000.0 if i == self.n - 1 else f32(bottom + self.layers[i]['fHouDu'])
            if top + EPS < z < bottom - EPS or abs(z - top) < EPS:
                return i
            if abs(z - bottom) < EPS:
                return i + 1
            top = bottom
        return -1

    def vertical_stress(self, z):
        last = self.layer_at(z)
        if last < 0:
            return 0.0
        last = min(last, self.n - 1)
        sigma, top = 0.0, self.t
        for i in range(last + 1):
            layer = self.layers[i]
            bottom = z if i == last else f32(top + layer['fHouDu'])
            if not self.water or self.w - bottom > EPS:
                sigma += (bottom - top) * layer['fZhongDu']
            elif self.w - top > EPS:
                sigma += (self.w - top) * layer['fZhongDu'] + (bottom - self.w) * layer['fFuZhongDu']
            else:
                sigma += (bottom - top) * layer['fFuZhongDu']
            top = bottom
        return sigma

    def strength(self, z, i, under_on_level, above_key, under_key):
        if self.n == 1:
            i = 0
        if i < 0 or i >= self.n:
            return 0.0
        layer = self.layers[i]
        if not self.water:
            return layer[above_key]
        d = z - self.w
        if abs(d) < EPS:
            return layer[under_key] if under_on_level else layer[above_key]
        return layer[under_key] if d > EPS else layer[above_key]

    def cohesion(self, z, i, under):
        return self.strength(z, i, under, 'fNianJuLi', 'fShuiXiaNianJuLi')

    def friction(self, z, i, under):
        return self.strength(z, i, under, 'fMoCaJiao', 'fShuiXiaMoCaJiao')

    def kp(self, z, i, under):
        a = self.friction(z, i, under) * PI / 180 * 0.5 + PI / 4
        return 0.0 if abs(a - PI / 2) < EPS else math.tan(a) ** 2

    def passive_pressure(self, z, i, under):
        kp = self.kp(z, i, under)
        p = kp * self.vertical_stress(z) + 2 * self.cohesion(z, i, under) * math.sqrt(kp)
        return 0.0 if p < EPS else p


def interpolate(x, depths, values):
    """Linear over depths listed largest first; 0 outside, the deepest included."""
    n = len(depths)
    if n == 0 or not (depths[-1] <= x and x - depths[0] <= -0.0001):
        return 0.0
    for i in range(n - 2, -1, -1):
        if depths[i] - x > -0.0001:
            return values[i] + (x - depths[i]) * (values[i + 1] - values[i]) / (depths[i + 1] - depths[i])
    return 0.0


def calc(r):
    """(depth, ground, pile, final) per calculation point, pile foot first."""
    for holder in [r] + r['TuCeng']:
        for key, value in holder.items():
            if isinstance(value, float):
                holder[key] = f32(value)
    g = Ground(r)
    L, t, s = r['fZhuangChang'], r['fPoMianDaoZhuangDing'], r['fZhuangJianJu']
    points = calculation_points(L)
    soil_count = sum(1 for layer in r['TuCeng'] if layer['nLeiXing'] == 0)

    def divisions(soil_only):
        depths = [] if soil_only else [0.0]
        z = t
        if -EPS < t < L:
            add_unique(depths, t)
        for i in range(g.n):
            if soil_only and g.layers[i]['nLeiXing'] != 0:
                break
            z = L if i == g.n - 1 else f32(z + g.layers[i]['fHouDu'])
            if z - L > EPS:
                add_unique(depths, L)
                break
            add_unique(depths, z)
        if r['bKaoLvShui'] and 0 < g.w < z:
            add_unique(depths, g.w)
        if not soil_only:
            for p in points:
                add_unique(depths, p)
        return sorted(depths, reverse=True)

    soil_depths, rock_depths = divisions(True), divisions(False)

    # Calculation width b0, never wider than the spacing.
    if r['nJieMianXingZhuang'] == 1:
        b = r['fZhuangKuan']
        b0 = b + 1 if b - 1 > EPS else 1.5 * b + 0.5
    else:
        d = r['fZhuangJing']
        b0 = 0.9 * (d + 1) if d - 1 > EPS else 0.9 * (1.5 * d + 0.5)
    b0 = min(b0, s) if b0 - s > EPS else b0

    # Passive pressure just below and just above each soil division.
    m = len(soil_depths)
    below, above = [], []
    for k, z in enumerate(soil_depths):
        pb = g.passive_pressure(z, g.layer_at(f32(z + 0.001)), True)
        pa = g.passive_pressure(z, g.layer_at(f32(z - 0.001)), False)
        if k == 0:
            pb = pa
        elif k == m - 1:
            pa = pb
        below.append(pb)
        above.append(pa)

    def earth_pressure(x):
        """Ep: the trapezoid integral of the pressure from x to the soil-zone bottom."""
        if m == 0 or x - soil_depths[0] > EPS:
            return 0.0
        x = max(x, soil_depths[-1]) if soil_depths[-1] - x > EPS else x
        epk = 0.0
        for k in range(m - 1):
            if abs(x - L) < EPS:
                break
            top, bottom = soil_depths[k + 1], soil_depths[k]
            p_top, p_bottom = below[k + 1], above[k]
            if (x - top > EPS and bottom - x > EPS) or abs(bottom - x) < EPS or abs(x - top) < EPS:
                px = interpolate(x, [bottom, top], [p_bottom, p_top])
                epk += (px + p_bottom) * (bottom - x) * 0.5
                break
            epk += (bottom - top) * (p_bottom + p_top) * 0.5
        return r['fZheJianXiShu'] * epk * b0 / s

    ep = [earth_pressure(z) for z in points]

    # Rock shear; rock has its above-water values from here on.
    for layer in r['TuCeng']:
        if layer['nLeiXing'] != 0:
            layer['fFuZhongDu'] = layer['fZhongDu']
            layer['fShuiXiaNianJuLi'] = layer['fNianJuLi']
            layer['fShuiXiaMoCaJiao'] = layer['fMoCaJiao']
    n = g.n
    n_in, z = n, t
    for j in range(n):
        if f32(z + g.layers[j]['fHouDu']) - L > EPS:
            n_in = j + 1
            break
        z = f32(z + g.layers[j]['fHouDu'])
    bounds = [t]
    for i in range(n):
        bounds.append(f32(bounds[-1] + g.layers[i]['fHouDu']))
    bounds[n] = L

    def shear(zm, layer, length):
        phi = g.friction(zm, layer, True) * PI / 180
        theta = PI / 4 - phi / 2
        return ((math.tan(phi) * g.vertical_stress(zm) + g.cohesion(zm, layer, True))
                * (length / math.cos(theta)) * b0 / s)

    tau_at = []
    if len(rock_depths) >= 2:
        if n_in - soil_count == 0:
            tau_at = [0.0] * len(rock_depths)
        else:
            tau = 0.0
            for zk in rock_depths:
                i = -1 if zk < t else g.layer_at(zk)
                if i < soil_count:  # in soil: the whole rock below
                    tau_at.append(tau)
                    continue
                i = min(i, n - 1)
                tau = sum(shear((bounds[l] + bounds[l + 1]) / 2, l, bounds[l + 1] - bounds[l])
                          for l in range(i + 1, n_in))
                tau += shear((zk + bounds[i + 1]) / 2, i, bounds[i + 1] - zk)
                tau_at.append(tau)

    # Concrete shear of the section, axial force from the self-weight up to 0.3 fc A.
    fc, ftk = CONCRETE[r['nHunNingTuDengJi']]
    if r['nJieMianXingZhuang'] == 1:
        area = r['fZhuangGao'] * r['fZhuangKuan']
        h0 = 1000 * r['fZhuangGao'] - r['fAs']
        bw = 1000 * r['fZhuangKuan']
    else:
        d = r['fZhuangJing']
        area, h0, bw = d * PI * d * 0.25, d * 800, d * 880
    axial = fc * 0.3 * area * 1000
    vc0 = 0.7 * bw * h0 * ftk / 1000

    rows = []
    for idx, z in enumerate(points):
        axial = min(axial, z * r['fZhuangRongZhong'] * area)
        pile = (0.07 * axial + vc0) / s
        ground = ep[idx] + interpolate(z, rock_depths, tau_at)
        rows.append((z, ground, pile, ground if ground < pile else pile))
    return rows


def rand_record(rng):
    """A plausible record: soil over rock, groundwater or not, either section."""
    count = rng.randint(0, 6)
    rock_count = rng.randint(0, count) if count else 0
    layers = []
    for i in range(count):
        rock = i >= count - rock_count
        layers.append({
            'nLeiXing': 1 if rock else 0, 'fHouDu': round(rng.uniform(0.5, 12), 2),
            'fZhongDu': round(rng.uniform(16, 26), 1),
            'fNianJuLi': round(rng.uniform(0, 400 if rock else 50), 1),
            'fMoCaJiao': round(rng.uniform(5, 45), 1), 'fFuZhongDu': round(rng.uniform(6, 12), 1),
            'fShuiXiaNianJuLi': round(rng.uniform(0, 40), 1),
            'fShuiXiaMoCaJiao': round(rng.uniform(5, 40), 1)})
    length = round(rng.uniform(2.5, 40), 1)
    return {
        'fZhuangRongZhong': 25, 'fZhuangChang': length, 'fZhuangKuan': round(rng.uniform(0.6, 3), 2),
        'fZhuangGao': round(rng.uniform(1, 4), 2), 'fZhuangJing': round(rng.uniform(0.6, 3), 2),
        'fZhuangJianJu': round(rng.uniform(3, 8), 1),
        'fPoMianDaoZhuangDing': round(rng.uniform(0, 5), 1),
        'nJieMianXingZhuang': rng.randint(0, 1), 'fAs': 80,
        'fHuaMianDaoZhuangDing': round(length / 2, 1),
        'nHunNingTuDengJi': rng.choice([20, 25, 30, 35, 40]),
        'fShuiWeiShenDu': round(rng.uniform(-1, 15), 1), 'bKaoLvShui': rng.randint(0, 1),
        'fZheJianXiShu': round(rng.uniform(0.2, 0.6), 2), 'TuCeng': layers}


def main():
    kangli = sys.argv[1]
    start = int(sys.argv[2]) if len(sys.argv) > 2 else 1
    count = int(sys.argv[3]) if len(sys.argv) > 3 else 200
    rng = random.Random(start)
    worst = 0.0
    failures = 0
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, 'record.json')
        for trial in range(count):
            r = rand_record(rng)
            with open(path, 'w') as f:
                json.dump(r, f)
            res = subprocess.run([kangli, 'calc', '--json', path], capture_output=True, text=True)
            if res.returncode != 0:
                print('trial', trial, 'exit', res.returncode, res.stderr.strip(), json.dumps(r))
                failures += 1
                continue
            got = json.loads(res.stdout)['points']
            exp = calc(json.loads(json.dumps(r)))
            if len(got) != len(exp):
                print('trial', trial, 'points', len(got), 'expected', len(exp), json.dumps(r))
                failures += 1
                continue
            for g, e in zip(got, exp):
                for key, ev in zip(('depth', 'ground', 'pile', 'final'), e):
                    rel = abs(g[key] - ev) / max(1.0, abs(ev))
                    worst = max(worst, rel)
                    if rel > 1e-5:
                        failures += 1
                        if failures < 10:
                            print('trial', trial, key, 'at', g['depth'], 'kangli', g[key],
                                  'reference', ev, json.dumps(r))
    print('records', count, 'worst relative difference', worst, 'failures', failures)
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
