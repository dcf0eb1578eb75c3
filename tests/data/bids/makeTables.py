#!/usr/bin/env python3
"""Writes the BIDS-style tables the tests of `morvane import` read: events tables as labs and
stimulus programs write them, and confound tables as a preprocessing pipeline writes them
(about a hundred columns, derivatives that are n/a in the first row, scientific notation).
They fit the runs of the example study: run 1 has 150 volumes of 2 s, run 2 120 of 2.5 s.
Deterministic: running it again gives the same bytes.
Usage: makeTables.py [OUTPUT_FOLDER] (default: beside this script)."""

import math
import os
import random
import sys

# Face recognition, run 1 (300 s): one line per trial as a stimulus program logs it, with the
# response time and the stimulus file; n/a for misses, a row of n/a for a pause the program
# marked, events in time order, LF line ends.
EVENTS_RUN1 = """onset\tduration\ttrial_type\tresponse_time\tstim_file\tcorrect
0.0\t10.0\tfixation\tn/a\tn/a\tn/a
10.0\t2.0\tfamous\t0.832\tstimuli/famous/f01.png\t1
14.0\t2.0\tunfamiliar\t1.046\tstimuli/unfamiliar/u07.png\t1
18.5\t2.0\tfamous\tn/a\tstimuli/famous/f02.png\tn/a
22.0\t2.0\tscrambled\t0.611\tstimuli/scrambled/s03.png\t0
26.0\t2.0\tunfamiliar\t0.957\tstimuli/unfamiliar/u02.png\t1
n/a\tn/a\tn/a\tn/a\tn/a\tn/a
60.0\t20.0\tfixation\tn/a\tn/a\tn/a
80.25\t2.0\tfamous\t0.74\tstimuli/famous/f05.png\t1
84.0\t2.0\tscrambled\t0.502\tstimuli/scrambled/s09.png\t1
88.0\t2.0\tunfamiliar\t1.2\tstimuli/unfamiliar/u11.png\t0
120.0\t2.0\tfamous\t0.69\tstimuli/famous/f08.png\t1
124.0\t2.0\tscrambled\tn/a\tstimuli/scrambled/s01.png\tn/a
150.0\t30.0\tfixation\tn/a\tn/a\tn/a
180.0\t2.0\tunfamiliar\t0.881\tstimuli/unfamiliar/u04.png\t1
200.0\t2.0\tfamous\t0.593\tstimuli/famous/f11.png\t1
240.0\t2.0\tscrambled\t0.715\tstimuli/scrambled/s12.png\t1
290.0\t10.0\tfixation\tn/a\tn/a\tn/a
"""

# Emotional faces, run 2 (300 s), exported from a spreadsheet: a byte-order mark, CRLF line
# ends, a tab after the last cell of every line; rows not in time order (responses were
# appended after the stimuli), overlapping events, zero-duration button presses, conditions
# with blanks, blanks around a name and letters beyond ASCII, an intensity to weight by with
# n/a where it does not apply, a row of n/a, and an instruction before the first kept volume.
EVENTS_RUN2_ROWS = [
    "onset\tduration\ttrial_type\tintensity\tresponse_time\tstim_file",
    "12.0\t3.0\tvisage effray\u00e9\t0.8\t1.234\tstimuli/fear_012.png",
    "2.5\t3.0\tfamous face\tn/a\t0.987\tstimuli/famous_003.png",
    "3.7\t0\tbutton press\tn/a\tn/a\tn/a",
    "45.25\t3.0\tfamous face\t0.5\tn/a\tstimuli/famous_017.png",
    "13.234\t0\tbutton press\tn/a\tn/a\tn/a",
    "30.0\t12.5\t\u00dcberraschung \u2013 lang\t1.0\tn/a\tn/a",
    "31.5\t3.0\tfamous face\t0.25\t1.1\tstimuli/famous_021.png",
    "n/a\tn/a\tn/a\tn/a\tn/a\tn/a",
    "100.125\t2.0004\t\u9854 (\u4e2d\u7acb)\t1.5e-1\t0.8\tstimuli/neutral_001.png",
    "60.0\t3.0\tvisage effray\u00e9\tn/a\t2.01\tstimuli/fear_044.png",
    "61.75\t0\tbutton press\tn/a\tn/a\tn/a",
    "250.5\t3.0\t famous face \t0.75\t0.9\tstimuli/famous_030.png",
    "180.0\t20.0\t\u00dcberraschung \u2013 lang\t1.0\tn/a\tn/a",
    "-1.5\t1.5\tinstruction\tn/a\tn/a\tn/a",
]
EVENTS_RUN2 = "\ufeff" + "".join(row + "\t\r\n" for row in EVENTS_RUN2_ROWS)

# Finger tapping (run 3 of another study): no trial_type column, so one condition named after
# the task; two dummy volumes before the first kept one give a negative onset.
EVENTS_MOTOR = """onset\tduration\tresponse_time
-3.0\t1.5\tn/a
15.0\t15.0\t0.45
45.0\t15.0\t0.39
75.0\t15.0\t0.41
"""

DERIVED = ["derivative1", "power2", "derivative1_power2"]


def confound_columns():
    """Names in a pipeline's order: tissue signals, quality measures, motion with its
    expansions, component regressors, cosines and outliers: 100 in all."""
    columns = []
    for signal in ["global_signal", "csf", "white_matter"]:
        columns += [signal] + ["%s_%s" % (signal, d) for d in DERIVED]
    columns += ["csf_wm", "tcompcor", "std_dvars", "dvars", "framewise_displacement", "rmsd"]
    for motion in ["trans_x", "trans_y", "trans_z", "rot_x", "rot_y", "rot_z"]:
        columns += [motion] + ["%s_%s" % (motion, d) for d in DERIVED]
    columns += ["t_comp_cor_%02d" % i for i in range(6)]
    columns += ["c_comp_cor_%02d" % i for i in range(10)]
    columns += ["w_comp_cor_%02d" % i for i in range(10)]
    columns += ["a_comp_cor_%02d" % i for i in range(20)]
    columns += ["cosine%02d" % i for i in range(6)]
    columns += ["non_steady_state_outlier00"] + ["motion_outlier%02d" % i for i in range(5)]
    assert len(columns) == 100
    return columns


def confound_rows(rng, volumes, tr):
    columns = confound_columns()
    series = {}
    # Slowly drifting signals and head positions (mm, radians) with noise.
    for name, level, spread in [("global_signal", 540.0, 3.0), ("csf", 780.0, 9.0), ("white_matter", 560.0, 2.0),
                                ("csf_wm", 610.0, 4.0), ("tcompcor", 0.0, 0.02)]:
        value = level
        series[name] = []
        for _ in range(volumes):
            value += rng.gauss(0.0, spread)
            series[name].append(value)
    for name, step in [("trans_x", 0.01), ("trans_y", 0.02), ("trans_z", 0.03),
                       ("rot_x", 0.0003), ("rot_y", 0.0001), ("rot_z", 0.00005)]:
        value = 0.0
        series[name] = []
        for _ in range(volumes):
            value += rng.gauss(0.0, step)
            series[name].append(value)
    for base in ["global_signal", "csf", "white_matter", "trans_x", "trans_y", "trans_z", "rot_x", "rot_y", "rot_z"]:
        values = series[base]
        derivative = [None] + [values[t] - values[t - 1] for t in range(1, volumes)]
        series[base + "_derivative1"] = derivative
        series[base + "_power2"] = [v * v for v in values]
        series[base + "_derivative1_power2"] = [None if d is None else d * d for d in derivative]
    fd = [None]
    for t in range(1, volumes):
        fd.append(sum(abs(series[m][t] - series[m][t - 1]) for m in ["trans_x", "trans_y", "trans_z"]) +
                  50.0 * sum(abs(series[m][t] - series[m][t - 1]) for m in ["rot_x", "rot_y", "rot_z"]))
    series["framewise_displacement"] = fd
    series["rmsd"] = [None] + [0.6 * f for f in fd[1:]]
    series["dvars"] = [None] + [25.0 + 5.0 * rng.random() for _ in range(volumes - 1)]
    series["std_dvars"] = [None] + [0.9 + 0.3 * rng.random() for _ in range(volumes - 1)]
    for name in columns:
        if "comp_cor" in name:
            series[name] = [rng.gauss(0.0, 0.08) for _ in range(volumes)]
    for k in range(6):
        series["cosine%02d" % k] = [math.sqrt(2.0 / volumes) * math.cos(math.pi * (k + 1) * (t + 0.5) / volumes)
                                    for t in range(volumes)]
    series["non_steady_state_outlier00"] = [1.0 if t == 0 else 0.0 for t in range(volumes)]
    spikes = sorted(rng.sample(range(5, volumes), 5))
    for k, spike in enumerate(spikes):
        series["motion_outlier%02d" % k] = [1.0 if t == spike else 0.0 for t in range(volumes)]
    return columns, [[series[name][t] for name in columns] for t in range(volumes)]


def shortest(value):
    """As pandas writes floats: the shortest text that reads back, scientific below 1e-4."""
    return "n/a" if value is None else repr(value)


def eight_digits(value):
    """As a C or MATLAB writer with %.8g does: exponents with a sign, E for some."""
    return "n/a" if value is None else ("%.8g" % value)


def confound_table(rng, volumes, tr, cell, line_end, reorder):
    columns, rows = confound_rows(rng, volumes, tr)
    order = list(range(len(columns)))
    if reorder:  # another pipeline puts the motion columns last
        motion = [i for i, name in enumerate(columns) if name.startswith(("trans_", "rot_"))]
        order = [i for i in order if i not in motion] + motion
    text = "\t".join(columns[i] for i in order) + line_end
    for row in rows:
        text += "\t".join(cell(row[i]) for i in order) + line_end
    return text


def write(folder, name, text):
    with open(os.path.join(folder, name), "wb") as f:
        f.write(text.encode("utf-8"))


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    os.makedirs(folder, exist_ok=True)
    rng = random.Random(20250117)
    write(folder, "sub-01_task-facerecognition_run-1_events.tsv", EVENTS_RUN1)
    write(folder, "sub-02_task-emotionalfaces_acq-mb4_run-2_events.tsv", EVENTS_RUN2)
    write(folder, "sub-03_task-fingertapping_events.tsv", EVENTS_MOTOR)
    write(folder, "sub-01_task-facerecognition_run-1_desc-confounds_timeseries.tsv",
          confound_table(rng, 150, 2.0, shortest, "\n", False))
    write(folder, "sub-02_task-emotionalfaces_acq-mb4_run-2_desc-confounds_timeseries.tsv",
          confound_table(rng, 120, 2.5, eight_digits, "\r\n", True))


if __name__ == "__main__":
    main()
