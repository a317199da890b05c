"""Finding an interpreter that has PIL: where an extra python3 comes first on
PATH (pyenv and the like) the system one still has Debian's python3-pil."""
import importlib.util
import os
import sys

CANDIDATES = ("/usr/bin/python3", "/bin/python3")
MARK = "SIM_MAXWELL_REEXEC"


def ensure_pil(script):
    if importlib.util.find_spec("PIL") is not None or os.environ.get(MARK):
        return
    current = os.path.realpath(sys.executable)
    for candidate in CANDIDATES:
        if os.access(candidate, os.X_OK) and os.path.realpath(candidate) != current:
            os.environ[MARK] = "1"
            os.execv(candidate, [candidate, os.path.abspath(script)] + sys.argv[1:])
