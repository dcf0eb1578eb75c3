#!/usr/bin/env python3
"""Writes the example study: three small runs with their protocols, confound files and
file list, and a small anatomical volume. Deterministic: running it again gives the same
bytes. Usage: makeExampleStudy.py [OUTPUT_FOLDER] (default: ../study beside this script)."""

import math
import os
import random
import struct
import sys


def vtc_v3(source, volumes, resolution, bounds, tr_ms, data_type, values, trailing=b""):
    header = struct.pack("<h", 3) + source.encode() + b"\0"
    header += struct.pack("<h", 0)  # no linked protocol yet
    header += struct.pack("<hhhh", 0, data_type, volumes, resolution)
    header += struct.pack("<6h", *bounds)
    header += struct.pack("<BBf", 1, 3, tr_ms)
    fmt = "<%d%s" % (len(values), "f" if data_type == 2 else "h")
    return header + struct.pack(fmt, *values) + trailing


def vtc_v2(source, volumes, resolution, bounds, tr_ms, values, trailing=b""):
    header = struct.pack("<h", 2) + source.encode() + b"\0" + b"\0"  # empty protocol name
    header += struct.pack("<hh", volumes, resolution)
    header += struct.pack("<6h", *bounds)
    header += struct.pack("<hfffhh", 1, tr_ms, 2.5, 1.25, 0, 0)
    return header + struct.pack("<%dh" % len(values), *values) + trailing


def voxel_count(resolution, bounds):
    dims = [(bounds[2 * a + 1] - bounds[2 * a]) // resolution for a in range(3)]
    return dims[0] * dims[1] * dims[2]


def time_courses(rng, voxels, volumes, as_int):
    values = []
    for v in range(voxels):  # each voxel's time course is contiguous
        base = 800.0 + 200.0 * rng.random()
        for t in range(volumes):
            signal = base + 15.0 * math.sin(2.0 * math.pi * t / 20.0 + v) + rng.gauss(0.0, 5.0)
            values.append(int(round(signal)) if as_int else signal)
    return values


def sdm_header(predictors, points, includes_constant, first_confound):
    return (
        "FileVersion:             1\n\n"
        "NrOfPredictors:          %d\n"
        "NrOfDataPoints:          %d\n"
        "IncludesConstant:        %d\n"
        "FirstConfoundPredictor:  %d\n\n" % (predictors, points, includes_constant, first_confound)
    )


def field(value):
    """A value in a 12-character field with no separator, as the host's motion output has."""
    return "%12.6g" % value


def motion_sdm(rng, points):
    names = ["Translation MN-X [mm]", "Translation MN-Y [mm]", "Translation MN-Z [mm]",
             "Rotation MN-X [deg]", "Rotation MN-Y [deg]", "Rotation MN-Z [deg]"]
    colors = "255 50 50   50 255 50   50 50 255   255 255 0   255 0 255   0 255 255"
    text = sdm_header(6, points, 0, 1) + colors + "\n" + " ".join('"%s"' % n for n in names) + "\n"
    position = [0.0] * 6
    for row in range(points):
        if row > 0:
            # Small drifts: negative values of twelve characters touch the value before them.
            position = [p + rng.gauss(0.0, 0.004) for p in position]
            position[1] = -0.000387509 - 0.0001 * rng.random()
        text += "".join(field(p) for p in position) + "\n"
    return text


def heart_rate_rtc(rng, points):
    text = ("FileVersion:     2\n"
            "Type:            DesignMatrix\n"
            "NrOfPredictors:  2\n"
            "NrOfDataPoints:  %d\n"
            '"HR_cardiac" "HR_cardiac_deriv"\n' % points)
    for row in range(points):
        beat = 70.0 + 4.0 * math.sin(row / 9.0) + rng.gauss(0.0, 0.5)
        text += "%f %f\n" % (beat, 4.0 / 9.0 * math.cos(row / 9.0))
    return text


def respiration_sdm(rng, points):
    text = sdm_header(3, points, 1, 1) + "255 200 0   200 120 0   255 255 255\n"
    text += '"RVT" "RVT_deriv" "Constant"\n'
    for row in range(points):
        rvt = 0.5 * math.sin(row / 6.0) + rng.gauss(0.0, 0.05)
        text += " %11.6g %11.6g %11.6g\n" % (rvt, 0.5 / 6.0 * math.cos(row / 6.0), 1.0)
    return text


PRT_V2_VOLUMES = """
FileVersion:        2

ResolutionOfTime:   Volumes

Experiment:         Faces and houses, block design

BackgroundColor:    0 0 0
TextColor:          255 255 202
TimeCourseColor:    255 255 255
TimeCourseThick:    3
ReferenceFuncColor: 192 192 192
ReferenceFuncThick: 2

NrOfConditions:  3

Rest
5
   1   10
  41   50
  81   90
 121  130
 141  150
Color: 170 170 170

Faces
3
  11   20
  51   60
  91  100
Color: 255 50 50

Houses
4
  21   40
  61   80
 101  120
 131  140
Color: 50 100 255
""".lstrip("\n")

# FileVersion 3 in milliseconds with one parametric weight, tab-separated intervals, no
# blank lines, CRLF line ends, a zero-length event and a condition without intervals.
PRT_V3_MSEC = "\r\n".join([
    "FileVersion:        3",
    "ResolutionOfTime:   msec",
    "Experiment:         Events, with weights",
    "BackgroundColor:    0 0 0",
    "TextColor:          255 255 202",
    "TimeCourseColor:    255 255 255",
    "TimeCourseThick:    3",
    "ReferenceFuncColor: 192 192 192",
    "ReferenceFuncThick: 2",
    "ParametricWeights:  1",
    "NrOfConditions:     3",
    "Fixation",
    "2",
    "0\t9999\t1.00",
    "150000\t159999\t1.00",
    "Color: 160 160 160",
    "Faces",
    "5",
    "20000\t22000\t1.50",
    "60000\t61000\t0.50",
    "100000\t100000\t2.00",
    "180000\t184000\t1.00",
    "250000\t252500\t1.25",
    "Color: 255 60 60",
    "Objects",
    "0",
    "Color: 60 200 60",
    "",
])

PRT_V3_VOLUMES = """FileVersion:        3
ResolutionOfTime:   Volumes
Experiment:         Objects in the visual field
BackgroundColor:    0 0 0
TextColor:          255 255 202
TimeCourseColor:    255 255 255
TimeCourseThick:    3
ReferenceFuncColor: 192 192 192
ReferenceFuncThick: 2
ParametricWeights:  0
NrOfConditions:     2
Fixation
2
  1  20
 61  80
Color: 128 128 128
Objects in LVF
2
 21  60
 81 100
Color: 0 180 255
"""

FILE_LIST = """3
run1.prt
run1.vtc
run1_3DMC.sdm
run1_HR.rtc
run1_RVT.sdm
run2.prt
run2.vtc
run2_3DMC.sdm
run2_RVT.sdm
run3.prt
run3.vtc
"""


def write(folder, name, content):
    mode = "wb"
    data = content if isinstance(content, bytes) else content.encode()
    with open(os.path.join(folder, name), mode) as f:
        f.write(data)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "study")
    os.makedirs(folder, exist_ok=True)
    rng = random.Random(20240611)

    # run1: version 3, 32-bit floats, 150 volumes of 2 s, all three confound kinds.
    bounds1 = (100, 124, 100, 124, 100, 118)
    values1 = time_courses(rng, voxel_count(3, bounds1), 150, False)
    write(folder, "run1.vtc", vtc_v3("run1.fmr", 150, 3, bounds1, 2000.0, 2, values1))
    write(folder, "run1.prt", PRT_V2_VOLUMES)
    write(folder, "run1_3DMC.sdm", motion_sdm(rng, 150))
    write(folder, "run1_HR.rtc", heart_rate_rtc(rng, 150))
    write(folder, "run1_RVT.sdm", respiration_sdm(rng, 150))

    # run2: version 2, 16-bit integers, 120 volumes of 2.5 s, bytes after the data.
    bounds2 = (80, 110, 80, 110, 90, 114)
    values2 = time_courses(rng, voxel_count(3, bounds2), 120, True)
    write(folder, "run2.vtc", vtc_v2("run2.fmr", 120, 3, bounds2, 2500.0, values2, b"TRAILING-BYTES!\n"))
    write(folder, "run2.prt", PRT_V3_MSEC)
    write(folder, "run2_3DMC.sdm", motion_sdm(rng, 120))
    write(folder, "run2_RVT.sdm", respiration_sdm(rng, 120))

    # run3: version 3, 16-bit integers, 100 volumes of 1.5 s, no confounds.
    bounds3 = (60, 90, 60, 90, 70, 94)
    values3 = time_courses(rng, voxel_count(3, bounds3), 100, True)
    write(folder, "run3.vtc", vtc_v3("", 100, 3, bounds3, 1500.0, 1, values3))
    write(folder, "run3.prt", PRT_V3_VOLUMES)

    # A small anatomical volume: three 16-bit dimensions, then one byte per voxel.
    write(folder, "anatomy.vmr", struct.pack("<3H", 16, 16, 16) + bytes((x * 7) % 256 for x in range(16 ** 3)))
    write(folder, "file-list.txt", FILE_LIST)


if __name__ == "__main__":
    main()
