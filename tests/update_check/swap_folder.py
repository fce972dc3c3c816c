#!/usr/bin/python3
"""An attacker on the Linux side of a Wine prefix, which no Windows share mode can stop.

    swap_folder.py --prefix PREFIX -- COMMAND [ARGS...]

Runs COMMAND (with ORV_FOLDER_SWAPPER=1 in its environment) and meanwhile watches the prefix's
temporary directories for the download folder of the folder-attack test ("OrvUpdate-*" inside
"orv_*FolderAttack*linux_process"). As soon as one appears it renames the folder away, makes a
folder of its own and puts a symbolic link to it under the old name, then notes what it did in
"swapped.txt" beside the folder. It swaps once, stops when COMMAND ends, removes what it made
(and the test's folder around it, which Windows programs cannot take apart once it holds a
link), and exits with COMMAND's status.
"""
import glob
import os
import shutil
import subprocess
import sys
import threading
import time

WATCH_SECONDS = 120


def test_folders(prefix):
    return [
        os.path.join(prefix, "drive_c", "users", "*", temp, "orv_*FolderAttack*linux_process")
        for temp in ("AppData/Local/Temp", "Temp")
    ]


def watch(prefix, done):
    patterns = [os.path.join(folder, "OrvUpdate-*") for folder in test_folders(prefix)]
    deadline = time.monotonic() + WATCH_SECONDS
    while not done.is_set() and time.monotonic() < deadline:
        for pattern in patterns:
            for folder in glob.glob(pattern):
                if os.path.islink(folder) or not os.path.isdir(folder):
                    continue
                parent = os.path.dirname(folder)
                own = os.path.join(parent, "attacker-own")
                os.rename(folder, folder + "-away")
                os.makedirs(own, exist_ok=True)
                os.symlink(own, folder)
                with open(os.path.join(parent, "swapped.txt"), "w") as note:
                    note.write(f"{folder} -> {own}\n")
                return
        time.sleep(0.001)


def main():
    args = sys.argv[1:]
    if len(args) < 4 or args[0] != "--prefix" or args[2] != "--":
        print(__doc__, file=sys.stderr)
        return 2
    prefix, command = args[1], args[3:]
    done = threading.Event()
    watcher = threading.Thread(target=watch, args=(prefix, done), daemon=True)
    watcher.start()
    status = subprocess.call(command, env=dict(os.environ, ORV_FOLDER_SWAPPER="1"))
    done.set()
    watcher.join()
    for pattern in test_folders(prefix):
        for folder in glob.glob(pattern):
            shutil.rmtree(folder, ignore_errors=True)
    return status


if __name__ == "__main__":
    sys.exit(main())
