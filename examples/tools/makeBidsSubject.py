#!/usr/bin/env python3
"""Writes the tiny BIDS-style subject of examples/bids: for two runs of a face task, the events
tables of the raw data and the confound tables a preprocessing pipeline would derive from
it; with --vtcs FOLDER, instead, the two runs' time courses as VTCs (made by the example
study's tools), which stand in for the preprocessed BOLD images.
Deterministic: running it again gives the same bytes.
Usage: makeBidsSubject.py [OUTPUT_FOLDER]   (default: ../bids beside this script)
       makeBidsSubject.py --vtcs FOLDER"""

import json
import math
import os
import random
import sys

import makeExampleStudy as study

TASK = "faces"
RUNS = 2
VOLUMES = 100
TR_SECONDS = 2.0
SUBJECT = "sub-01"


def run_name(run):
    return "%s_task-%s_run-%d" % (SUBJECT, TASK, run)


def events_table(rng):
    """Fixation blocks of 12 s; in between, faces and houses of 1.5 s every 3 to 5 s, with
    the response time, n/a for a miss."""
    rows = ["onset\tduration\ttrial_type\tresponse_time\tstim_file"]
    onset = 0.0
    for block in range(4):
        rows.append("%.1f\t12.0\tfixation\tn/a\tn/a" % onset)
        onset += 12.0
        block_end = onset + 32.0
        while onset < block_end:
            kind = rng.choice(["face", "house"])
            response = "n/a" if rng.random() < 0.1 else "%.3f" % rng.uniform(0.45, 1.1)
            rows.append("%.1f\t1.5\t%s\t%s\tstimuli/%s%02d.png" % (onset, kind, response, kind, rng.randrange(40)))
            onset += rng.choice([3.0, 3.5, 4.0, 4.5, 5.0])
        onset = math.ceil(onset)
    return "\n".join(rows) + "\n"


def confound_table(rng):
    """A pipeline's confound table: tissue signals, quality measures, the six motion
    parameters (mm, radians) and their derivatives (n/a in the first row), components and
    cosines, numbers at full precision."""
    names = ["global_signal", "csf", "white_matter", "dvars", "std_dvars", "framewise_displacement"]
    motion = ["trans_x", "trans_y", "trans_z", "rot_x", "rot_y", "rot_z"]
    for m in motion:
        names += [m, m + "_derivative1"]
    names += ["a_comp_cor_%02d" % k for k in range(5)] + ["cosine%02d" % k for k in range(3)]
    position = {m: 0.0 for m in motion}
    previous = None
    signals = {"global_signal": 540.0, "csf": 780.0, "white_matter": 560.0}
    lines = ["\t".join(names)]
    for t in range(VOLUMES):
        for m in motion:
            position[m] += rng.gauss(0.0, 0.02 if m.startswith("trans") else 0.0003)
        for s in signals:
            signals[s] += rng.gauss(0.0, 2.0)
        row = dict(signals)
        if previous is None:
            row.update({"dvars": None, "std_dvars": None, "framewise_displacement": None})
        else:
            row["dvars"] = 25.0 + 5.0 * rng.random()
            row["std_dvars"] = 0.9 + 0.3 * rng.random()
            row["framewise_displacement"] = sum(abs(position[m] - previous[m]) * (50.0 if m.startswith("rot") else 1.0)
                                                for m in motion)
        for m in motion:
            row[m] = position[m]
            row[m + "_derivative1"] = None if previous is None else position[m] - previous[m]
        for k in range(5):
            row["a_comp_cor_%02d" % k] = rng.gauss(0.0, 0.08)
        for k in range(3):
            row["cosine%02d" % k] = math.sqrt(2.0 / VOLUMES) * math.cos(math.pi * (k + 1) * (t + 0.5) / VOLUMES)
        lines.append("\t".join("n/a" if row[n] is None else repr(row[n]) for n in names))
        previous = dict(position)
    return "\n".join(lines) + "\n"


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(text if isinstance(text, bytes) else text.encode())


def write_tables(folder):
    rng = random.Random(20250214)
    write(os.path.join(folder, "dataset_description.json"),
          json.dumps({"Name": "quorvel example: faces and houses", "BIDSVersion": "1.8.0",
                      "DatasetType": "raw"}, indent=2) + "\n")
    write(os.path.join(folder, "participants.tsv"), "participant_id\tage\tsex\n%s\t27\tF\n" % SUBJECT)
    write(os.path.join(folder, "task-%s_bold.json" % TASK),
          json.dumps({"TaskName": TASK, "RepetitionTime": TR_SECONDS}, indent=2) + "\n")
    pipeline = os.path.join(folder, "derivatives", "preproc")
    write(os.path.join(pipeline, "dataset_description.json"),
          json.dumps({"Name": "quorvel example: preprocessed", "BIDSVersion": "1.8.0", "DatasetType": "derivative",
                      "GeneratedBy": [{"Name": "a preprocessing pipeline"}]}, indent=2) + "\n")
    for run in range(1, RUNS + 1):
        write(os.path.join(folder, SUBJECT, "func", run_name(run) + "_events.tsv"), events_table(rng))
        write(os.path.join(pipeline, SUBJECT, "func", run_name(run) + "_desc-confounds_timeseries.tsv"),
              confound_table(rng))


def write_vtcs(folder):
    """run-1.vtc and run-2.vtc: version 3, float values, VOLUMES volumes of TR_SECONDS."""
    rng = random.Random(20250215)
    bounds = (100, 124, 100, 124, 100, 118)
    for run in range(1, RUNS + 1):
        values = study.time_courses(rng, study.voxel_count(3, bounds), VOLUMES, False)
        write(os.path.join(folder, "run-%d.vtc" % run),
              study.vtc_v3(run_name(run) + "_bold.nii.gz", VOLUMES, 3, bounds, TR_SECONDS * 1000.0, 2, values))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    if len(sys.argv) == 3 and sys.argv[1] == "--vtcs":
        write_vtcs(sys.argv[2])
    elif len(sys.argv) <= 2 and (len(sys.argv) == 1 or not sys.argv[1].startswith("-")):
        write_tables(sys.argv[1] if len(sys.argv) == 2 else os.path.join(here, "..", "bids"))
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
