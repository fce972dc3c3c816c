#!/usr/bin/python3
"""An attacker on the Linux side of a Wine prefix, which no Windows share mode can stop.

    swap_folder.py --prefix PREFIX -- COMMAND [ARGS...]

Runs COMMAND (with ORV_FOLDER_SWAPPER=1 in its environment) and meanwhile plays the user of
the folder-attack test ("orv_*FolderAttack*linux_process" in the prefix's temporary
directories):
- It makes the test's TMP a link it owns: "tmp-link" inside the test's folder, pointing at a
  folder "tmp-a" with one file in it. The test waits for the link and points TMP and TEMP at it.
- As soon as a download folder ("OrvUpdate-*" in ProgramData\\OrvUpdateCheck) appears, it
  renames that folder away, makes a folder of its own and puts a symbolic link to it under the
  old name, re-points "tmp-link" at a second folder "tmp-b", and notes what it did in
  "swapped.txt" beside the download folder.
The test checks that "tmp-a" and "tmp-b" still hold just that file. When COMMAND ends the
swapper removes what it made and exits with COMMAND's status.
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


def download_parent(prefix):
    return os.path.join(prefix, "drive_c", "ProgramData", "OrvUpdateCheck")


def canary_folders(test_folder):
    return [os.path.join(test_folder, name) for name in ("tmp-a", "tmp-b")]


def link_user_temp(test_folder):
    for folder in canary_folders(test_folder):
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "canary.txt"), "w") as canary:
            canary.write("the user's own\n")
    os.symlink(canary_folders(test_folder)[0], os.path.join(test_folder, "tmp-link"))


def repoint_user_temp(test_folder):
    link = os.path.join(test_folder, "tmp-link")
    os.unlink(link)
    os.symlink(canary_folders(test_folder)[1], link)


def watch(prefix, done):
    deadline = time.monotonic() + WATCH_SECONDS
    test_folder = None
    while not done.is_set() and time.monotonic() < deadline:
        if test_folder is None:
            for pattern in test_folders(prefix):
                for folder in glob.glob(pattern):
                    test_folder = folder
                    link_user_temp(folder)
        else:
            for folder in glob.glob(os.path.join(download_parent(prefix), "OrvUpdate-*")):
                if os.path.islink(folder) or not os.path.isdir(folder):
                    continue
                parent = os.path.dirname(folder)
                own = os.path.join(parent, "attacker-own")
                os.rename(folder, folder + "-away")
                os.makedirs(own, exist_ok=True)
                os.symlink(own, folder)
                repoint_user_temp(test_folder)
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
    shutil.rmtree(download_parent(prefix), ignore_errors=True)
    return status


if __name__ == "__main__":
    sys.exit(main())
