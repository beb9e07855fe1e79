#!/usr/bin/env python3
"""bench-report.py - prints the benchmark figures and their ratios to the baselines measured beside them.

Usage: bench-report.py HOOK_JSON EMULATION_JSON"""
import json
import sys

UNIT = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}


def seconds(entry):
    return entry["real_time"] * UNIT[entry["time_unit"]]


def load(path):
    data = json.load(open(path))
    # The median of the repetitions, keyed by the benchmark's name without its "/..." settings.
    return data["context"], {b["run_name"].split("/")[0]: b for b in data["benchmarks"]
                             if b.get("aggregate_name") == "median"}


def main(hook_path, emulation_path):
    context, hook = load(hook_path)
    _, emulation = load(emulation_path)
    print("machine: %d cpus at %.0f MHz; %s" % (context["num_cpus"], context["mhz_per_cpu"], context["date"]))
    print()
    print("medians of repetitions (5 for the hook, 3 for the rest), wall-clock time")
    print()
    print("| figure | measured | baseline | ratio | target |")
    print("|---|---|---|---|---|")
    for name, label in (("BM_InstallSequence", "install sequence (post-payload), recording platform"),
                        ("BM_UninstallSequence", "uninstall sequence with extension (pre-payload), recording platform")):
        entry = hook[name]
        print("| %s | %.0f ns, %d allocations | - | - | - |" % (label, seconds(entry) * 1e9, entry["allocations"]))
    pairs = (
        ("copy of a 256 MiB file", "EmulationCopy256MiB", "CpCopy256MiB", "cp", "<= 1.00"),
        ("tree delete, 20,000 files in 1,000 folders", "EmulationTreeDelete20000Files", "RmRfTree20000Files",
         "rm -rf", "<= 1.20"),
        ("teskhost post-payload with a 1 MiB plug-in", "TeskhostPostPayload1MiB", "CpProcess1MiB",
         "cp as a process", "-"),
    )
    for label, ours, theirs, baseline, target in pairs:
        a = seconds(emulation[ours])
        b = seconds(emulation[theirs])
        print("| %s | %.2f ms | %s %.2f ms | %.2f | %s |" % (label, a * 1e3, baseline, b * 1e3, a / b, target))


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
