"""Runs the dictionary generator over changed copies of its data files.

The generator is imported once; each run is a forked child of this process, so every case
starts from the same freshly imported generator (nothing one run changes reaches the next)
without paying for a new interpreter. A run answers what a separate generator process
would: its exit status and what it wrote to stdout and stderr.
"""
import contextlib
import io
import os
import shutil
import sys
import tempfile

sys.dont_write_bytecode = True  # the generator is imported from the source tree: leave no cache there


def load_generator(data_dir):
    sys.path.insert(0, os.path.abspath(data_dir))
    import gen_dictionary  # noqa: E402
    return gen_dictionary


def run(generator, data_dir, out_dir):
    """Runs the generator's main on data_dir in a forked child: (exit status, output)."""
    argv = ['gen_dictionary.py', data_dir, os.path.join(out_dir, 'd.cpp'), os.path.join(out_dir, 'ids.h')]
    read_end, write_end = os.pipe()
    pid = os.fork()
    if pid == 0:
        os.close(read_end)
        status, text = 0, io.StringIO()
        try:
            with contextlib.redirect_stdout(text), contextlib.redirect_stderr(text):
                sys.argv = argv
                try:
                    generator.main()
                except SystemExit as e:
                    if isinstance(e.code, str):
                        print(e.code, file=sys.stderr)
                        status = 1
                    else:
                        status = e.code or 0
        except BaseException as e:  # an unexpected error fails the run as it would the process
            text.write('%s: %s' % (type(e).__name__, e))
            status = 1
        with os.fdopen(write_end, 'w', encoding='utf-8') as pipe:
            pipe.write(text.getvalue())
        os._exit(status)
    os.close(write_end)
    with os.fdopen(read_end, encoding='utf-8') as pipe:
        message = pipe.read()
    _, wait_status = os.waitpid(pid, 0)
    return os.waitstatus_to_exitcode(wait_status), message


def check_cases(source, cases):
    """Each case: (what it breaks, file, text to find, its replacement, part of the expected
    message). The unchanged files must pass; each changed copy must fail with its message.
    Returns the process exit status and prints the failures."""
    generator = load_generator(source)
    failures = []
    with tempfile.TemporaryDirectory() as scratch:
        status, message = run(generator, source, scratch)
        if status != 0:
            failures.append('unchanged data refused: ' + message.strip())
        for what, name, old, new, expect in cases:
            data = os.path.join(scratch, 'data')
            shutil.rmtree(data, ignore_errors=True)
            shutil.copytree(source, data, ignore=shutil.ignore_patterns('__pycache__', '*.py'))
            path = os.path.join(data, name)
            text = open(path, encoding='ascii').read()
            if old not in text:
                failures.append('%s: the row to change is gone' % what)
                continue
            open(path, 'w', encoding='ascii').write(text.replace(old, new, 1))
            status, message = run(generator, data, scratch)
            if status == 0 or expect not in message:
                failures.append('%s: expected a failure with "%s", got %d: %s' % (what, expect, status,
                                                                                message.strip()))
    for f in failures:
        print(f)
    return 1 if failures else 0
