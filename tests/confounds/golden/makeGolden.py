#!/usr/bin/env python3
"""Makes the golden inputs and expected outputs of the confound writer tests.

The expected outputs are built here from the layout rules of the extended design matrix,
independently of the C++ writer: header lines "key value" with an empty line after the
version and after the first-confound line; the colour line with every component followed by
one blank; the name line with every name followed by a tab, except the constant's, which
stands last after two tabs; value rows with design-matrix and motion values in "%g" and
heart-rate, respiration and constant values in "%4.6f", each followed by a tab except the
constant's. Python's floats are IEEE doubles and its "%g"/"%4.6f" are C's, so the numbers
match what a C++ stream writes. The z-transform is computed the same way the stage does it:
sum in index order, population variance, square root, (value - mean) / deviation; a column
that does not vary becomes 0.0.

Run from this folder: python3 makeGolden.py
"""
import math

CRLF = "\r\n"


def field12(value):
    # The host's 12-character fields with six significant digits and no separator of their own.
    return "%12.6g" % value


def read_back(text):
    return float(text)


def host_sdm(keys_values, colors, names, rows, line_end=CRLF):
    """An SDM as the host writes it: padded keys with colons, 12-character value fields."""
    lines = []
    for i, (key, value) in enumerate(keys_values):
        lines.append("%-25s%d" % (key, value))
        if i in (0, 4):
            lines.append("")
    lines.append("   ".join("%d %d %d" % c for c in colors))
    lines.append(" ".join('"%s"' % n for n in names))
    for row in rows:
        lines.append("".join(field12(v) for v in row))
    return line_end.join(lines) + line_end


def host_rtc(version, predictors, names, rows, line_end=CRLF):
    lines = [
        "FileVersion:     %d" % version,
        "Type:            DesignMatrix",
        "NrOfPredictors:  %d" % predictors,
        "NrOfDataPoints:  %d" % len(rows),
        " ".join('"%s"' % n for n in names),
    ]
    for row in rows:
        lines.append(" ".join("%f" % v for v in row))
    return line_end.join(lines) + line_end


def z_transform(column):
    if not column:
        return column
    total = 0.0
    for v in column:
        total += v
    mean = total / float(len(column))
    squares = 0.0
    for v in column:
        squares += (v - mean) * (v - mean)
    deviation = math.sqrt(squares / float(len(column)))
    largest = max(abs(v) for v in column)
    if min(column) == max(column) or not math.isfinite(deviation) or not deviation > 1e-12 * largest:
        return [0.0] * len(column)
    return [(v - mean) / deviation for v in column]


MOTION_NAMES_OUT = [
    '"Translation MN-X [mm]"', '"Translation MN-Y [mm]"', '"Translation MN-Z [mm]"',
    '"Rotation MN-X [deg]"', '"Rotation MN-Y [deg]"', '"Rotation MN-Z [deg]"',
]
MOTION_COLORS_RTC = [(255, 50, 50), (50, 255, 50), (50, 50, 255), (255, 255, 0), (255, 0, 255), (0, 255, 255)]


def expected_sdm(version, keys, n_dm, m, c, f, dm_colors, dm_names, dm_rows, motion, hr, resp):
    """motion: (colors, columns) or None; hr/resp: (colors, names, columns) or None."""
    k = (6 if motion else 0) + (len(hr[2]) if hr else 0) + (len(resp[2]) if resp else 0)
    out = []
    out.append("%s %d\n\n" % (keys[0], version))
    out.append("%s %d\n" % (keys[1], n_dm + k))
    out.append("%s %d\n" % (keys[2], m))
    out.append("%s %d\n" % (keys[3], c))
    out.append("%s %d\n\n" % (keys[4], f))
    own = dm_colors[:-1] if c else dm_colors
    line = "".join("%d %d %d " % t for t in own)
    if motion:
        line += "".join("%d %d %d " % t for t in motion[0])
    for rec in (hr, resp):
        if rec:
            line += "".join("%d %d %d " % t for t in rec[0])
    if c:
        line += "%d %d %d " % dm_colors[-1]
    out.append(line + "\n")
    own = dm_names[:-1] if c else dm_names
    line = "".join(n + "\t" for n in own)
    if motion:
        line += "".join(n + "\t" for n in MOTION_NAMES_OUT)
    for rec in (hr, resp):
        if rec:
            line += "".join(n + "\t" for n in rec[1])
    if c:
        line += "\t" + dm_names[-1]
    out.append(line + "\n")
    for i in range(m):
        row = dm_rows[i]
        own = row[:-1] if c else row
        line = "".join("%g\t" % v for v in own)
        if motion:
            line += "".join("%g\t" % col[i] for col in motion[1])
        for rec in (hr, resp):
            if rec:
                line += "".join("%4.6f\t" % col[i] for col in rec[2])
        if c:
            line += "%4.6f" % row[-1]
        out.append(line + "\n")
    return "".join(out)


def write(name, text):
    with open(name, "w", newline="") as f:
        f.write(text)


KEYS = ["FileVersion:", "NrOfPredictors:", "NrOfDataPoints:", "IncludesConstant:", "FirstConfoundPredictor:"]


def motion_rows(m, constant_last=False):
    rows = [[0.0] * 6]
    for i in range(1, m):
        rows.append([
            0.0310625 * math.sin(i / 7.0),
            -0.000387509 * (1 + i % 5),
            -0.0247146 * math.cos(i / 11.0),
            0.12 * math.sin(i / 3.0) - 0.05,
            -1.5e-5 * i,
            0.0 if constant_last else 0.25 * math.cos(i / 5.0),
        ])
    return rows


def case_motion_respiration():
    """Two conditions and the constant, 200 points; motion SDM and respiration RTC."""
    m = 200
    dm_rows = []
    for i in range(m):
        a = 1.0 if (i // 20) % 2 == 0 else -0.000387509
        b = 0.5 * math.sin(i / 9.0) - 0.25
        dm_rows.append([a, b, 1.0])
    dm_colors = [(255, 0, 0), (0, 255, 0), (255, 255, 255)]
    dm_names = ["Faces in LVF", "Houses", "Constant"]
    dm_text = host_sdm(list(zip(KEYS, [1, 3, m, 1, 3])), dm_colors, dm_names, dm_rows)
    write("mr_run1_run1.sdm", dm_text)

    mrows = motion_rows(m)
    motion_names = ["Translation MN-X [mm]", "Translation MN-Y [mm]", "Translation MN-Z [mm]",
                    "Rotation MN-X [deg]", "Rotation MN-Y [deg]", "Rotation MN-Z [deg]"]
    motion_text = host_sdm(list(zip(KEYS, [1, 6, m, 0, 1])), MOTION_COLORS_RTC, motion_names, mrows)
    write("mr_run1_3DMC.sdm", motion_text)

    resp_values = [[0.731 * math.sin(i / 4.0) + 0.02 * i] for i in range(m)]
    resp_text = host_rtc(2, 1, ["RVT resp"], resp_values)
    write("mr_run1_RVT.rtc", resp_text)

    # What the readers make of the texts.
    dm_read = [[read_back(field12(v)) for v in row] for row in dm_rows]
    motion_cols = [[read_back(field12(row[j])) for row in mrows] for j in range(6)]
    resp_cols = [[float("%f" % row[0]) for row in resp_values]]
    expected = expected_sdm(1, KEYS, 3, m, 1, 3, dm_colors, ['"%s"' % n for n in dm_names], dm_read,
                            (MOTION_COLORS_RTC, motion_cols), None,
                            ([(255, 255, 0)], ['"RVT resp"'], resp_cols))
    write("mr_expected_3DMC_RVT.sdm", expected)


def case_no_constant_heart_rate():
    """A design matrix without constant (c = 0), LF line ends; heart-rate SDM with a constant."""
    m = 5
    dm_rows = [[1, 0], [1, 0], [0, 1], [0, 1], [0.5, -2.5e-7]]
    dm_colors = [(10, 20, 30), (40, 50, 60)]
    dm_names = ["A", "B"]
    lines = ["FileVersion: 1", "", "NrOfPredictors: 2", "NrOfDataPoints: 5", "IncludesConstant: 0",
             "FirstConfoundPredictor: 3", "", "10 20 30 40 50 60", '"A"\t"B"']
    lines += ["\t".join("%g" % v for v in row) for row in dm_rows]
    write("c0_design.sdm", "\n".join(lines) + "\n")

    hr = [[60.5 + i, -0.25 * i, 1.0] for i in range(m + 2)]  # more points than the design matrix
    hr_colors = [(200, 0, 0), (0, 200, 0), (255, 255, 255)]
    hr_text = host_sdm(list(zip(KEYS, [1, 3, m + 2, 1, 1])), hr_colors, ["HR", "HRV", "Constant"], hr)
    write("c0_heart_HR.sdm", hr_text)
    hr_cols = [[read_back(field12(row[j])) for row in hr] for j in range(2)]
    expected = expected_sdm(1, KEYS, 2, m, 0, 3, dm_colors, ['"A"', '"B"'], dm_rows, None,
                            (hr_colors[:2], ['"HR"', '"HRV"'], hr_cols), None)
    write("c0_expected_HR.sdm", expected)


def case_all_kinds_z():
    """All three kinds, z-transformed: motion RTC (one constant column), heart-rate SDM with a
    constant, respiration RTC with a name holding a blank."""
    m = 12
    dm_rows = [[1.0 if i < 6 else 0.0, 1.0] for i in range(m)]
    dm_colors = [(255, 0, 0), (255, 255, 255)]
    dm_names = ["Task", "Constant"]
    write("all_design.sdm", host_sdm(list(zip(KEYS, [1, 2, m, 1, 2])), dm_colors, dm_names, dm_rows))

    mrows = motion_rows(m, constant_last=True)
    write("all_motion.rtc", host_rtc(1, 6, ["Tx", "Ty", "Tz", "Rx", "Ry", "Rz"], mrows))
    motion_cols = [z_transform([float("%f" % row[j]) for row in mrows]) for j in range(6)]

    hr = [[70 + 3 * math.sin(i), 0.1 * i * i, 1.0] for i in range(m)]
    write("all_heart.sdm", host_sdm(list(zip(KEYS, [1, 3, m, 1, 1])), [(1, 2, 3), (4, 5, 6), (7, 8, 9)],
                                   ["Pulse", "Pulse var", "Constant"], hr))
    hr_cols = [z_transform([read_back(field12(row[j])) for row in hr]) for j in range(2)]

    resp = [[0.3 * math.cos(i / 2.0), 2.0 - 0.01 * i] for i in range(m)]
    write("all_resp.rtc", host_rtc(2, 2, ["l_60 B", "RVT"], resp))
    resp_cols = [z_transform([float("%f" % row[j]) for row in resp]) for j in range(2)]

    dm_read = [[read_back(field12(v)) for v in row] for row in dm_rows]
    expected = expected_sdm(1, KEYS, 2, m, 1, 2, dm_colors, ['"Task"', '"Constant"'], dm_read,
                            (MOTION_COLORS_RTC, motion_cols),
                            ([(1, 2, 3), (4, 5, 6)], ['"Pulse"', '"Pulse var"'], hr_cols),
                            ([(255, 255, 0), (255, 255, 20)], ['"l_60 B"', '"RVT"'], resp_cols))
    write("all_expected_3DMC_z_HR_z_RVT_z.sdm", expected)


case_motion_respiration()
case_no_constant_heart_rate()
case_all_kinds_z()
