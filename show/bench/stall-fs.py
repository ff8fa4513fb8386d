#!/usr/bin/env python3
"""A folder seen through FUSE as a disk that has to wake up: the first read of each opened picture
(.jpg, .bmp) waits STALL_SECONDS, everything else answers at once. For the show's benchmark.

    stall-fs.py SOURCE_DIR MOUNT_DIR STALL_SECONDS   (runs in the foreground until unmounted)
"""
import os
import sys
import time

import fuse

fuse.fuse_python_api = (0, 2)


class StallFs(fuse.Fuse):
    def __init__(self, source, seconds, *args, **kwargs):
        super().__init__(*args, **kwargs)
        self.source = source
        self.seconds = seconds

    def getattr(self, path):
        return os.lstat(self.source + path)

    def readdir(self, path, offset):
        for name in ['.', '..'] + os.listdir(self.source + path):
            yield fuse.Direntry(name)

    def open(self, path, flags):
        return 0

    def read(self, path, size, offset):
        if offset == 0 and path.lower().endswith(('.jpg', '.bmp')):
            time.sleep(self.seconds)
        with open(self.source + path, 'rb') as f:
            f.seek(offset)
            return f.read(size)


def main():
    source, mount, seconds = sys.argv[1], sys.argv[2], float(sys.argv[3])
    fs = StallFs(os.path.abspath(source), seconds, usage='stall-fs', dash_s_do='setsingle')
    fs.parse(['-f', mount])  # threads: a stalled read holds up no other request
    fs.main()


if __name__ == '__main__':
    main()
