"""What the benchmark scripts share: finding their driver programs."""
import os
import subprocess

TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def driver(name, given=None):
    """The driver program `name`: the path given (the test command passes the one it
    built), else the one in the build folder, brought up to date with scripts/build."""
    if given:
        return os.path.abspath(given)
    subprocess.run([os.path.join(TOP, "scripts", "build"), name], check=True, stdout=subprocess.DEVNULL)
    build = os.environ.get("KXT_BUILD_DIR", os.path.join(TOP, "build"))
    return os.path.join(build, "bin", name)


def add_common_arguments(parser):
    parser.add_argument("--smoke", action="store_true",
                        help="a few MB, one round: checks that the benchmark builds and runs")
    parser.add_argument("--driver", help="the driver program to use instead of building it")
