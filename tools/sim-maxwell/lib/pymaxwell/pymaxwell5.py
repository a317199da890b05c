"""Scene access of the simulated installation, under the module name that
the matching renderer generation's scripts import."""
from _pymaxwell_sim import *  # noqa: F401,F403
