"""Prints engine time / counterpart time for the pairs in a Google Benchmark JSON report.

Pairs are found by name: "<op>/Map/<key>/<n>" goes with "<op>/std::map/<key>/<n>",
"<op>/HashMap/..." with "<op>/std::unordered_map/...", "<op>/XmlLoader/..." with
"<op>/pugixml/...", "<op>/COLLADALoader/..." (an import) with "<op>/XmlLoader/..." (the
parse of the same file), "<op>/Nsgml/..." (a converted scene) with "<op>/COLLADALoader/..."
(the import of its original), and "<Name>" with "Std<Name>" or, for a library the engine wraps,
"Lib<Name>" (the library called directly).
Repeated runs of one case are averaged (or their reported mean is used). CPU time is
compared.
"""
import json
import sys
from collections import defaultdict

COUNTERPARTS = {"Map": "std::map", "HashMap": "std::unordered_map", "XmlLoader": "pugixml",
                "COLLADALoader": "XmlLoader", "Nsgml": "COLLADALoader"}
NANOSECONDS = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}


def counterparts(name):
    parts = name.split("/")
    if len(parts) >= 2 and parts[1] in COUNTERPARTS:
        return ["/".join([parts[0], COUNTERPARTS[parts[1]]] + parts[2:])]
    return ["Std" + name, "Lib" + name]


def main(path):
    with open(path) as report:
        runs = json.load(report)["benchmarks"]
    times = defaultdict(list)
    means = {}
    for run in runs:
        name = run.get("run_name", run["name"])
        cpu = run["cpu_time"] * NANOSECONDS[run.get("time_unit", "ns")]
        if run.get("run_type", "iteration") == "iteration":
            times[name].append(cpu)
        elif run.get("aggregate_name") == "mean":
            means[name] = cpu
    mean = {name: sum(values) / len(values) for name, values in times.items()}
    for name, cpu in means.items():
        mean.setdefault(name, cpu)

    rows = [(name, mean[name], mean[other]) for name in mean for other in counterparts(name) if other in mean]
    if not rows:
        print("no engine/standard pairs in the report")
        return
    width = max(len(name) for name, _, _ in rows)
    print()
    print(f"{'case':<{width}}  {'engine ns':>12}  {'counterpart ns':>14}  ratio")
    for name, engine, standard in rows:
        print(f"{name:<{width}}  {engine:>12.1f}  {standard:>14.1f}  {engine / standard:5.2f}")


if __name__ == "__main__":
    main(sys.argv[1])
