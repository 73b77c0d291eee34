#!/usr/bin/env python3
"""Fails when a platform module includes a header from a module above its own layer, or
from another module of the same layer: the folders are the layers, and they stay so."""
import os
import re
import sys

LAYER = {"base": 0, "files": 1, "profile": 2, "registry": 2, "ui": 3, "kernel": 4,
         "sockets": 5, "spooler": 6}

platform = os.path.join(sys.argv[1], "platform")
faults = []
for module in os.listdir(platform):
    folder = os.path.join(platform, module)
    if not os.path.isdir(folder):
        continue
    if module not in LAYER:
        faults.append(f"platform/{module}: a folder that is no module of the layer list")
        continue
    for name in sorted(os.listdir(folder)):
        with open(os.path.join(folder, name), encoding="utf-8") as source:
            for used in re.findall(r'#include "platform/(\w+)/', source.read()):
                if used != module and (used not in LAYER or LAYER[used] >= LAYER[module]):
                    faults.append(f"platform/{module}/{name} includes from platform/{used}")
for fault in faults:
    print(fault)
sys.exit(1 if faults else 0)
