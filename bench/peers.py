#!/usr/bin/python3
"""Times the operations Varne shares with common image libraries on the
benchmarks' own picture, in the same run, and prints one table beside
Varne's figures.

Every peer is timed in-process, as a caller who wants a new picture pays
for it: the output's allocation, every pixel, and the output's release.
OpenCV and Pillow through their Python bindings (the work is their C code);
libvips and ImageMagick through their C libraries, by varne_peer_libraries
(bench/peer_libraries.cpp), which prints its figures as JSON. Each figure is
the best of a few runs, and a memcpy of the picture's 32-bpp bytes follows
every run, so each figure can be read against its own run's memory speed.

Libraries write different outputs for the same operation (OpenCV's grey is
one byte a pixel, Varne's four, ImageMagick's eight), so the table has one
row per operation and output size, and compares Varne only within its row.

usage: peers.py --varne-json FILE [--varne-json FILE ...] --bmp FILE [--bmp FILE ...]
                [--peer-libraries PROGRAM] [--repeats N]
"""

import argparse
import json
import math
import os
import subprocess
import sys
import time
from dataclasses import dataclass

import numpy as np

try:
    import cv2
except ImportError:
    cv2 = None
try:
    from PIL import Image, ImageChops
except ImportError:
    Image = None

THRESHOLD = 128
LIGHT_GREY = 192
OPERATIONS = ["copy", "grayscale", "invert", "threshold", "rotate45"]
VARNE_BENCHMARKS = {
    "copy": "BM_CopyDib32",
    "grayscale": "BM_GrayScaleCommand",
    "invert": "BM_InvertCommand",
    "threshold": "BM_ThresholdCommand",
    "rotate45": "BM_RotateDib45",
}
# Varne's results are 32-bit words 0x00RRGGBB: bytes B, G, R and an unused one.
VARNE_FORMATS = {"copy": "BGRX", "grayscale": "grey in BGRX", "invert": "BGRX",
                 "threshold": "grey in BGRX", "rotate45": "BGRX"}
PEER_COLUMNS = ["OpenCV 1t", "OpenCV", "Pillow 1t", "vips 1t", "vips", "IM 1t", "IM"]


@dataclass
class Figure:
    ms: float
    format: str
    bytes_per_pixel: int
    input_bytes: int
    output_bytes: int
    memcpy_ms: float  # the run's own memcpy of the 32-bpp bytes
    threads: int = 1

    def per_memcpy(self):
        return self.ms / self.memcpy_ms if self.memcpy_ms > 0 else math.inf

    def floor_ms(self, image_bytes):
        """What reading the input once and writing the output once would take
        at the memcpy's speed, on each of the figure's threads: no figure for
        a picture larger than the caches can honestly be below it."""
        one_thread = self.memcpy_ms * (self.input_bytes + self.output_bytes) / (2 * image_bytes)
        return one_thread / self.threads


class TouchedCopy:
    """A copy of the picture's 32-bpp bytes into memory touched before, run
    after every timed run; its best is the run's memory speed."""

    def __init__(self, nbytes):
        self.source = np.full(nbytes, 0x5A, dtype=np.uint8)
        self.target = np.zeros(nbytes, dtype=np.uint8)
        self.target.fill(1)
        self.best_ms = math.inf

    def run(self):
        start = time.perf_counter()
        np.copyto(self.target, self.source)
        self.best_ms = min(self.best_ms, (time.perf_counter() - start) * 1e3)


def best_of(repeats, run, copy):
    """Fastest of several runs, in milliseconds. The result is dropped inside
    the timed part, so its release is paid for, as Varne's command pays."""
    best = math.inf
    for _ in range(repeats):
        start = time.perf_counter()
        run()
        best = min(best, time.perf_counter() - start)
        copy.run()
    return best * 1e3


def opencv_rotation(image):
    """45 degrees counter-clockwise, nearest pixel, canvas grown to hold it."""
    h, w = image.shape[:2]
    c = s = math.sqrt(0.5)
    new_w = int(math.ceil(w * c + h * s))
    new_h = int(math.ceil(w * s + h * c))
    matrix = cv2.getRotationMatrix2D((w / 2, h / 2), 45, 1.0)
    matrix[0, 2] += new_w / 2 - w / 2
    matrix[1, 2] += new_h / 2 - h / 2
    return lambda: cv2.warpAffine(image, matrix, (new_w, new_h), flags=cv2.INTER_NEAREST,
                                  borderMode=cv2.BORDER_CONSTANT,
                                  borderValue=(LIGHT_GREY, LIGHT_GREY, LIGHT_GREY, 0))


def timed_runs(runs, describe, input_bytes, repeats, copy, threads=1):
    """Each run once untimed to see what it makes, then timed."""
    figures = {}
    for name, run in runs.items():
        form, bytes_per_pixel, output_bytes = describe(run())
        ms = best_of(repeats, run, copy)
        figures[name] = Figure(ms, form, bytes_per_pixel, input_bytes, output_bytes, math.nan,
                               threads)
    for figure in figures.values():
        figure.memcpy_ms = copy.best_ms
    return figures


def describe_array(result):
    array = result[1] if isinstance(result, tuple) else result
    channels = array.shape[2] if array.ndim == 3 else 1
    return {4: "BGRA", 1: "grey"}[channels], channels * array.itemsize, array.nbytes


def time_opencv(path, threads, repeats):
    if cv2 is None:
        return {}
    default_threads = cv2.getNumThreads()
    cv2.setNumThreads(1 if threads == 1 else default_threads)
    image = cv2.cvtColor(cv2.imread(path, cv2.IMREAD_COLOR), cv2.COLOR_BGR2BGRA)

    def threshold():
        gray = cv2.cvtColor(image, cv2.COLOR_BGRA2GRAY)
        return cv2.threshold(gray, THRESHOLD, 255, cv2.THRESH_BINARY)

    runs = {
        "copy": image.copy,
        "grayscale": lambda: cv2.cvtColor(image, cv2.COLOR_BGRA2GRAY),
        "invert": lambda: cv2.bitwise_not(image),
        "threshold": threshold,
        "rotate45": opencv_rotation(image),
    }
    result = timed_runs(runs, describe_array, image.nbytes, repeats, TouchedCopy(image.nbytes),
                        cv2.getNumThreads())
    cv2.setNumThreads(default_threads)
    return result


def describe_pillow(image):
    # Pillow keeps an "RGB" picture in four bytes a pixel, the fourth unused.
    form, bytes_per_pixel = {"RGB": ("RGBX", 4), "L": ("grey", 1)}[image.mode]
    return form, bytes_per_pixel, image.width * image.height * bytes_per_pixel


def time_pillow(path, repeats):
    if Image is None:
        return {}
    image = Image.open(path).convert("RGB")
    image.load()
    table = [0 if v <= THRESHOLD else 255 for v in range(256)]
    fill = (LIGHT_GREY, LIGHT_GREY, LIGHT_GREY)
    runs = {
        "copy": image.copy,
        "grayscale": lambda: image.convert("L"),
        "invert": lambda: ImageChops.invert(image),
        "threshold": lambda: image.convert("L").point(table),
        "rotate45": lambda: image.rotate(45, resample=Image.NEAREST, expand=True, fillcolor=fill),
    }
    nbytes = image.width * image.height * 4
    return timed_runs(runs, describe_pillow, nbytes, repeats, TouchedCopy(nbytes))


def time_c_libraries(program, size, repeats):
    """libvips and ImageMagick, one thread and their default, from
    varne_peer_libraries; the columns, and the program's report."""
    if not program or not os.path.exists(program):
        print("peers.py: no varne_peer_libraries (needs libvips-dev and"
              " libmagickcore-6.q16-dev); no libvips or ImageMagick figures", file=sys.stderr)
        return {}, None
    output = subprocess.run([program, str(size[0]), str(size[1]), str(repeats)], check=True,
                            stdout=subprocess.PIPE, text=True).stdout
    report = json.loads(output)
    columns = {}
    for timing in report["timings"]:
        column = {"libvips": "vips", "ImageMagick": "IM"}[timing["library"]]
        if timing["single_thread"]:
            column += " 1t"
        columns.setdefault(column, {})[timing["operation"]] = Figure(
            timing["ms"], timing["format"], timing["bytes_per_pixel"], timing["input_bytes"],
            timing["output_bytes"], report["memcpy_ms"], timing["threads"])
    return columns, report


def varne_figures(json_path):
    """Benchmark name and size -> (milliseconds, ratio to memcpy), medians
    where the run had repetitions."""
    with open(json_path) as handle:
        report = json.load(handle)
    figures = {}
    for entry in report["benchmarks"]:
        if entry.get("run_type") == "aggregate" and entry.get("aggregate_name") != "median":
            continue
        name = entry["run_name"] if "run_name" in entry else entry["name"]
        parts = name.split("/")
        size = tuple(int(p.split(":")[1]) for p in parts[1:3])
        key = (parts[0], size)
        if entry.get("run_type") == "aggregate" or key not in figures:
            figures[key] = (entry["real_time"], entry.get("x_memcpy", float("nan")),
                            entry.get("memcpy_ms"))
    return figures


def print_varne_table(json_path):
    """Every Varne benchmark: its time, and the ratios to the two memcpys."""
    with open(json_path) as handle:
        report = json.load(handle)
    for entry in report["benchmarks"]:
        if entry.get("run_type") == "aggregate" and entry.get("aggregate_name") != "median":
            continue
        parts = entry.get("run_name", entry["name"]).split("/")
        size = "x".join(p.split(":")[1] for p in parts[1:3])
        print(f"| {parts[0][3:]} | {size} | {entry['real_time']:.1f} | {entry.get('x_memcpy', 0):.2f}"
              f" | {entry.get('memcpy_ms', 0):.1f} | {entry.get('fresh_ms', 0):.1f}"
              f" | {entry.get('x_fresh', 0):.2f} |")
        if "updates_per_s" in entry:
            print(f"| {parts[0][3:]}, updates per second | {size} | {entry['updates_per_s']:.1f} |"
                  " | | | |")


def bmp_size(path):
    with open(path, "rb") as handle:
        header = handle.read(26)
    return int.from_bytes(header[18:22], "little"), int.from_bytes(header[22:26], "little")


def format_ms(value):
    return "-" if value is None else f"{value:.1f}"


def table_rows(operation, varne_figure, peers):
    """One row per output size: Varne's first, then the others, smallest
    output first. Each row is (bytes a pixel, label, {column: Figure})."""
    by_size = {}
    if varne_figure is not None:
        by_size.setdefault(varne_figure.bytes_per_pixel, {})["Varne"] = varne_figure
    for column, figures in peers.items():
        if operation in figures:
            figure = figures[operation]
            by_size.setdefault(figure.bytes_per_pixel, {})[column] = figure
    order = sorted(by_size, key=lambda b: (varne_figure is None or b != varne_figure.bytes_per_pixel, b))
    rows = []
    for bytes_per_pixel in order:
        cells = by_size[bytes_per_pixel]
        formats = sorted({figure.format for figure in cells.values()})
        rows.append((bytes_per_pixel, "/".join(formats) + f" {bytes_per_pixel} B/px", cells))
    return rows


def print_table(size, varne, peers, references, repeats):
    image_bytes = size[0] * size[1] * 4
    columns = [column for column in PEER_COLUMNS if column in peers]
    print(f"\n{size[0]}x{size[1]} ({size[0] * size[1] / 1e6:.0f} MP); ms; peers best of {repeats}"
          f" runs, Varne the median of its repetitions; {references}")
    header = (["operation", "output", "Varne", "Varne/memcpy"] + columns
              + ["Varne/fastest (per memcpy)", "fastest"])
    print("| " + " | ".join(header) + " |")
    print("|" + "---|" * len(header))
    below_floor = []
    for operation in OPERATIONS:
        ms, ratio, _ = varne.get((VARNE_BENCHMARKS[operation], size), (None, None, None))
        # Rotation's own ratio is to its output's bytes; the peers are
        # normalised by the image's, so take the image memcpy of the copy.
        image_memcpy = varne.get(("BM_CopyDib32", size), (None, None, None))[2]
        if operation == "rotate45" and ms is not None and image_memcpy:
            ratio = ms / image_memcpy
        varne_figure = None
        if ms is not None:
            varne_figure = Figure(ms, VARNE_FORMATS[operation], 4, image_bytes, image_bytes, ms / ratio)
        for bytes_per_pixel, label, cells in table_rows(operation, varne_figure, peers):
            has_varne = "Varne" in cells
            row = [operation, label, format_ms(ms) if has_varne else "-",
                   f"{ratio:.2f}" if has_varne else "-"]
            if has_varne and operation == "rotate45":
                row[3] += " (image bytes)"
            for column in columns:
                figure = cells.get(column)
                if figure is None:
                    row.append("-")
                    continue
                text = format_ms(figure.ms)
                if figure.ms < figure.floor_ms(image_bytes):
                    text += " !"
                    below_floor.append(f"{column} {operation} ({figure.ms:.1f} ms, floor"
                                       f" {figure.floor_ms(image_bytes):.1f})")
                row.append(text)
            present = {column: cells[column] for column in columns if column in cells}
            if present:
                # Each side as a multiple of its own run's memcpy, so a
                # neighbour that loads the machine during one of them cancels.
                fastest = min(present, key=lambda column: present[column].per_memcpy())
                row.append(f"{ratio / present[fastest].per_memcpy():.2f}" if has_varne else "-")
                row.append(fastest)
            else:
                row += ["-", "-"]
            print("| " + " | ".join(row) + " |")
    if below_floor:
        print("Below the floor of one read of the input and one write of the output at the"
              " run's memcpy speed on each thread (!): " + "; ".join(below_floor))
    else:
        print("No peer figure is below one read of its input and one write of its output at"
              " its run's memcpy speed on each of its threads.")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--varne-json", action="append", required=True)
    parser.add_argument("--bmp", action="append", required=True)
    parser.add_argument("--peer-libraries", help="the varne_peer_libraries program")
    parser.add_argument("--repeats", type=int, default=3)
    arguments = parser.parse_args()
    varne = {}
    for json_path in arguments.varne_json:
        varne.update(varne_figures(json_path))
    print("| benchmark | size | ms | x memcpy (touched) | memcpy ms | fresh memcpy ms | x fresh |")
    print("|---|---|---|---|---|---|---|")
    for json_path in arguments.varne_json:
        print_varne_table(json_path)
    for path in arguments.bmp:
        size = bmp_size(path)
        peers = {
            "OpenCV 1t": time_opencv(path, 1, arguments.repeats),
            "OpenCV": time_opencv(path, 0, arguments.repeats),
            "Pillow 1t": time_pillow(path, arguments.repeats),
        }
        references = []
        python_memcpy = [figure.memcpy_ms for figures in peers.values() for figure in figures.values()]
        if python_memcpy:
            references.append("memcpy of the 32-bpp bytes into touched memory beside the Python"
                              f" peers {min(python_memcpy):.1f} ms")
        libraries, report = time_c_libraries(arguments.peer_libraries, size, arguments.repeats)
        peers.update(libraries)
        if report:
            references.append(f"beside libvips {report['libvips']} and ImageMagick"
                              f" {report['imagemagick']} {report['memcpy_ms']:.1f} ms (into fresh"
                              f" memory {report['fresh_memcpy_ms']:.1f} ms)")
        print_table(size, varne, {k: v for k, v in peers.items() if v}, "; ".join(references),
                    arguments.repeats)


if __name__ == "__main__":
    main()
