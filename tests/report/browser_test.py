#!/usr/bin/env python3
"""The conversion report in a real browser: Debian's chromium, driven through
chromedriver over WebDriver (the standard library's urllib speaks it).

Checks, on reports `ambrix convert --report` writes:
  - the page loads with no script error and no error on the browser's console;
  - the totals per type are those `ambrix project show` gives for the same run;
  - the filters by warning kind and by object type leave exactly the warnings
    `ambrix alarms --format json` gives for that kind or type;
  - a warning's link shows its object with the warned word marked, in view,
    at the warning's line;
  - names and sources holding HTML and </script> stay text.
Keeps screenshots of the report of examples/pubs.sql in --out.

Exit 0: passed; 1: failed; 77: skipped (no chromium or chromedriver; under CI
that is a failure instead).
"""

import argparse
import base64
import json
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time
import urllib.error
import urllib.request

SKIP = 77
ELEMENT = "element-6066-11e4-a52e-4f735466cecf"


def in_ci():
    return os.environ.get("CI", "") not in ("", "0", "false")


class Failed(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failed(message)


# --- WebDriver ---------------------------------------------------------------

class Browser:
    def __init__(self, driver, chromium, profile):
        with socket.socket() as s:
            s.bind(("127.0.0.1", 0))
            self.port = s.getsockname()[1]
        self.process = subprocess.Popen([driver, "--port=%d" % self.port], stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        self.base = "http://127.0.0.1:%d" % self.port
        # Limits that only a hung program reaches: a busy machine is slow.
        deadline = time.monotonic() + 60
        while time.monotonic() < deadline:
            try:
                if self.call("GET", "/status").get("ready"):
                    break
            except (urllib.error.URLError, ConnectionError):
                pass
            time.sleep(0.05)
        else:
            raise Failed("chromedriver did not start")
        options = {"args": ["--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                            "--window-size=1280,1000", "--user-data-dir=" + profile, "--no-first-run"]}
        if chromium:
            options["binary"] = chromium
        session = self.call("POST", "/session", {"capabilities": {"alwaysMatch": {
            "browserName": "chrome", "goog:chromeOptions": options, "goog:loggingPrefs": {"browser": "ALL"}}}})
        self.session = "/session/" + session["sessionId"]

    def call(self, method, path, body=None):
        data = None if body is None else json.dumps(body).encode()
        request = urllib.request.Request(self.base + path, data=data, method=method,
                                         headers={"Content-Type": "application/json"})
        try:
            with urllib.request.urlopen(request, timeout=60) as response:
                return json.loads(response.read())["value"]
        except urllib.error.HTTPError as error:
            raise Failed("WebDriver %s %s: %s" % (method, path, error.read().decode(errors="replace")))

    def run(self, script, *args):
        return self.call("POST", self.session + "/execute/sync", {"script": script, "args": list(args)})

    def open(self, path, fragment=""):
        self.call("POST", self.session + "/url", {"url": "file://" + os.path.abspath(path) + fragment})
        if not self.wait_for("return document.documentElement.dataset.ready === '1'"):
            raise Failed("%s: the page's script never finished (%s)" % (path, self.errors()))

    def wait_for(self, script, *args):
        """Whether `script` came true: a followed link is handled after the
        click returns (hashchange is an event of its own)."""
        deadline = time.monotonic() + 60
        while time.monotonic() < deadline:
            if self.run(script, *args):
                return True
            time.sleep(0.02)
        return False

    def click(self, selector):
        """Clicks the element as a reader does: scrolled to the middle of the
        window first (the tables' sticky heads cover their first rows)."""
        found = self.call("POST", self.session + "/element", {"using": "css selector", "value": selector})
        self.run("arguments[0].scrollIntoView({block: 'center'})", found)
        self.call("POST", self.session + "/element/%s/click" % found[ELEMENT], {})

    def colours(self, png):
        """The colours of a PNG image, decoded by the browser."""
        return self.call("POST", self.session + "/execute/async", {"script": """
            const done = arguments[arguments.length - 1];
            const image = new Image();
            image.onload = () => {
              const canvas = document.createElement('canvas');
              canvas.width = image.width;
              canvas.height = image.height;
              const context = canvas.getContext('2d');
              context.drawImage(image, 0, 0);
              const pixels = context.getImageData(0, 0, image.width, image.height).data;
              const seen = new Set();
              for (let i = 0; i < pixels.length; i += 4) seen.add((pixels[i] << 16) | (pixels[i + 1] << 8) | pixels[i + 2]);
              done({width: image.width, height: image.height, colours: seen.size});
            };
            image.onerror = () => done(null);
            image.src = 'data:image/png;base64,' + arguments[0];""", "args": [base64.b64encode(png).decode()]})

    def errors(self):
        """The page's own record of script errors and the console's errors."""
        errors = list(self.run("return window.reportErrors || ['the page recorded nothing']"))
        for entry in self.call("POST", self.session + "/se/log", {"type": "browser"}):
            if entry.get("level") in ("SEVERE", "ERROR"):
                errors.append(entry.get("message", ""))
        return errors

    def screenshot(self, path):
        png = base64.b64decode(self.call("GET", self.session + "/screenshot"))
        with open(path, "wb") as out:
            out.write(png)
        return png

    def close(self):
        try:
            if hasattr(self, "session"):
                self.call("DELETE", self.session)
        finally:
            self.process.terminate()
            self.process.wait(10)


# --- The checks ---------------------------------------------------------------

def ambrix(args, binary):
    result = subprocess.run([binary] + args, capture_output=True, text=True, timeout=120)
    check(result.returncode in (0, 1), "ambrix %s: exit %d\n%s" % (" ".join(args), result.returncode, result.stderr))
    return result.stdout


def convert(binary, scripts, work, name, project):
    """Converts `scripts` with a repository; returns the report's path, the
    alarms (ambrix alarms --format json) and `ambrix project show`'s lines."""
    repository = "sqlite:" + os.path.join(work, name + ".sqlite3")
    report = os.path.join(work, name + ".html")
    ambrix(["convert"] + scripts + ["-o", os.path.join(work, name + ".asa.sql"), "-q", "-k",
                                    "--repository", repository, "--report", report], binary)
    alarms = json.loads(ambrix(["alarms", project, "--format", "json", "--repository", repository], binary))
    shown = ambrix(["project", "show", project, "--repository", repository], binary)
    return report, alarms, shown


def check_loads(browser, report):
    browser.open(report)
    errors = browser.errors()
    check(not errors, "%s: errors on load: %s" % (report, errors))


def check_totals(browser, shown):
    # "  index               7 objects, 2 warnings, 7 compiled"
    expected = {}
    for line in shown.splitlines():
        words = line.split()
        if line.startswith("  ") and len(words) == 7 and words[2] == "objects,":
            expected[words[0]] = [int(words[1]), int(words[5]), int(words[3])]
    rows = browser.run("""return [...document.querySelectorAll('#totals tbody tr')].map(
        (tr) => [...tr.cells].slice(0, 6).map((c) => c.textContent))""")
    found = {row[0]: [int(row[1]), int(row[2]), int(row[5])] for row in rows}
    check(found == expected, "totals per type (found, converted, warnings): page %s, project show %s" % (found, expected))
    total = browser.run("return [...document.querySelector('#totals tfoot tr').cells].slice(1, 6).map((c) => c.textContent)")
    check(int(total[0]) == sum(v[0] for v in expected.values()), "the sum row counts %s objects" % total[0])
    bars = browser.run("return document.querySelectorAll('#totals tbody svg.bar rect').length")
    check(bars >= len(expected), "the chart has %d bars for %d types" % (bars, len(expected)))


def visible_warnings(browser):
    return browser.run("""return [...document.querySelectorAll('#warnings tbody tr[data-w]')].map(
        (tr) => ({type: tr.cells[0].textContent, object: tr.cells[1].textContent, word: tr.cells[3].textContent,
                  kind: tr.cells[4].textContent}))""")


def choose(browser, select, text):
    """Chooses the option of `select` whose full text is `text` ('' for all),
    as choosing it by hand does (the change event)."""
    found = browser.run("""const s = document.querySelector(arguments[0]);
        const index = [...s.options].findIndex((o) => (o.value === '' ? '' : o.title) === arguments[1]);
        if (index < 0) return false;
        s.selectedIndex = index;
        s.dispatchEvent(new Event('change'));
        return true;""", select, text)
    check(found, "%s has no option %r" % (select, text))


def check_filters(browser, alarms):
    rows = visible_warnings(browser)
    check(len(rows) == len(alarms), "unfiltered: %d rows for %d warnings" % (len(rows), len(alarms)))
    kinds = sorted({a["alarm"] for a in alarms})
    types = sorted({a["type"] for a in alarms})
    check(len(kinds) >= 3 and len(types) >= 2, "the fixture needs several kinds and types")
    for kind in kinds:
        choose(browser, "#filter-kind", kind)
        rows = visible_warnings(browser)
        expected = sorted((a["type"], a["word"]) for a in alarms if a["alarm"] == kind)
        check(sorted((r["type"], r["word"]) for r in rows) == expected, "kind %r: rows %s" % (kind[:40], rows))
        check(all(r["kind"] == kind for r in rows), "kind %r lets other kinds through" % kind[:40])
    choose(browser, "#filter-kind", "")
    for type_name in types:
        choose(browser, "#filter-type", type_name)
        rows = visible_warnings(browser)
        expected = sorted((a["object"], a["word"]) for a in alarms if a["type"] == type_name)
        check(sorted((r["object"].split(".")[-1], r["word"]) for r in rows) == expected,
              "type %s: rows %s, expected %s" % (type_name, rows, expected))
    # Both at once: a kind within a type, and a kind the type has none of.
    choose(browser, "#filter-type", types[0])
    for kind in kinds:
        choose(browser, "#filter-kind", kind)
        expected = [a for a in alarms if a["type"] == types[0] and a["alarm"] == kind]
        rows = visible_warnings(browser)
        check(len(rows) == len(expected), "type %s and kind %r: %d rows, expected %d" %
              (types[0], kind[:40], len(rows), len(expected)))
        shown_empty = browser.run("return !document.getElementById('no-warnings').hidden")
        check(shown_empty == (not expected), "the 'no warnings' line disagrees with %d rows" % len(rows))
    choose(browser, "#filter-kind", "")
    choose(browser, "#filter-type", "")
    check(len(visible_warnings(browser)) == len(alarms), "all rows come back without a filter")


def check_link(browser, row):
    """Follows the link of warning row `row`; the object must show with the
    warned word marked at its line, in view."""
    expected = browser.run("""const tr = document.querySelectorAll('#warnings tbody tr[data-w]')[arguments[0]];
        return {w: tr.dataset.w, object: tr.cells[1].textContent, place: tr.cells[2].textContent,
                word: tr.cells[3].textContent};""", row)
    browser.click("#warnings tbody tr[data-w]:nth-child(%d) a" % (row + 1))
    check(browser.wait_for("return document.getElementById('object-view').dataset.warning === arguments[0]",
                           expected["w"]), "the link of warning %s showed no object" % expected["w"])
    seen = browser.run("""const view = document.getElementById('object-view');
        const mark = view.querySelector('#dest-code mark.current');
        const box = mark && mark.getBoundingClientRect();
        const pane = mark && mark.closest('pre').getBoundingClientRect();
        return {hash: location.hash, hidden: view.hidden, title: view.querySelector('h2').textContent,
                mark: mark && mark.textContent, ids: mark && mark.dataset.w, line: mark && mark.closest('.l').dataset.n,
                before: mark && (() => {
                  const range = document.createRange();
                  range.setStart(mark.closest('.l'), 0);
                  range.setEndBefore(mark);
                  return range.toString();
                })(),
                lineText: mark && mark.closest('.l').textContent,
                inView: !!box && box.top >= 0 && box.bottom <= innerHeight && box.left >= 0 && box.right <= innerWidth
                        && box.top >= pane.top && box.bottom <= pane.bottom,
                marks: view.querySelectorAll('mark.current').length};""")
    check(seen["hash"] == "#w" + expected["w"], "the link went to %s" % seen["hash"])
    check(not seen["hidden"] and expected["object"] in seen["title"], "the view shows %r, not %r" %
          (seen["title"], expected["object"]))
    check(seen["marks"] == 1, "%d words marked as current" % seen["marks"])
    check(expected["w"] in (seen["ids"] or "").split(), "the current mark is not the warning's")
    check(seen["line"] == expected["place"].split(":")[0], "marked on line %s, warning at %s" %
          (seen["line"], expected["place"]))
    # The mark starts at the warning's column (counted in characters); it is
    # the word itself when the converted line holds it there.
    column = int(expected["place"].split(":")[1])
    line = seen["lineText"] or ""
    check(len(seen["before"] if seen["before"] is not None else "x") == column - 1, "the mark starts after %r, the warning is at column %d" %
          (seen["before"], column))
    if line[column - 1:column - 1 + len(expected["word"])].lower() == expected["word"].lower():
        check((seen["mark"] or "").lower() == expected["word"].lower(), "marked %r, the warning is about %r" %
              (seen["mark"], expected["word"]))
    else:
        check(seen["mark"], "nothing marked at %s" % expected["place"])
    check(seen["inView"], "the marked word is not in view")


def check_hostile(browser, binary, work):
    name = "<i>hostile&amp;\"'"
    script = os.path.join(work, name + ".sql")
    with open(script, "w", encoding="utf-8") as out:
        out.write("CREATE TABLE [<img src=x onerror=\"window.pwned=1\">] (id int)\nGO\n"
                  "CREATE PROCEDURE [p</script><script>window.pwned=2</script>] AS\n"
                  "SELECT '</script><script>window.pwned=3</script> & &amp; <b>' FROM sysobjects\nGO\n")
    report = os.path.join(work, "hostile.html")
    ambrix(["convert", script, "-o", os.path.join(work, "hostile.asa.sql"), "-q", "--report", report], binary)
    check_loads(browser, report)
    check(browser.run("return document.title") == "Отчёт о конвертации: " + name, "the title is not the project's name")
    names = browser.run("return [...document.querySelectorAll('#objects a')].map((a) => a.textContent)")
    check(sorted(names) == sorted(['<img src=x onerror="window.pwned=1">', "p</script><script>window.pwned=2</script>"]),
          "object names shown as %s" % names)
    browser.click("#objects tbody tr:nth-child(2) a")
    check(browser.wait_for("return document.getElementById('object-view').dataset.object === '1'"),
          "the object's link showed nothing")
    source = browser.run("return document.getElementById('source-code').textContent")
    check("'</script><script>window.pwned=3</script> & &amp; <b>'" in source, "the source is not shown as text: %r" % source)
    check(browser.run("return window.pwned === undefined && !document.querySelector("
                      "'img, header i, #objects i, #objects b, #object-view i, #object-view b')"),
          "text of the report became markup")
    check(not browser.errors(), "errors on the hostile report: %s" % browser.errors())


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--ambrix", required=True)
    parser.add_argument("--sources", required=True, help="the source tree (for examples/)")
    parser.add_argument("--out", required=True, help="where the screenshots are kept")
    options = parser.parse_args()

    driver = shutil.which("chromedriver")
    chromium = next((p for p in ("/usr/lib/chromium/chromium", shutil.which("chromium") or "") if p and os.path.exists(p)),
                    None)
    if not driver or not chromium:
        why = "chromium and chromium-driver are not installed (scripts/setup.sh installs them)"
        if in_ci():
            print("CI is set, so this cannot be skipped: " + why, file=sys.stderr)
            return 1
        print("skipped: " + why)
        return SKIP

    examples = os.path.join(options.sources, "examples")
    os.makedirs(options.out, exist_ok=True)
    with tempfile.TemporaryDirectory() as work:
        pubs, pubs_alarms, pubs_shown = convert(options.ambrix, [os.path.join(examples, "pubs.sql")], work, "pubs",
                                                "pubs")
        mixed, mixed_alarms, _ = convert(options.ambrix, [os.path.join(examples, "ledger.sql"),
                                                          os.path.join(examples, "demo.sql")], work, "mixed", "ledger")
        browser = Browser(driver, chromium, os.path.join(work, "profile"))
        try:
            check_loads(browser, pubs)
            check_totals(browser, pubs_shown)
            check(len(visible_warnings(browser)) == len(pubs_alarms), "pubs: not every warning is listed")
            top = browser.screenshot(os.path.join(options.out, "pubs-report.png"))
            check_link(browser, 0)
            check_link(browser, len(pubs_alarms) - 1)
            shot = browser.screenshot(os.path.join(options.out, "pubs-report-object.png"))
            for png in (top, shot):
                image = browser.colours(png)
                check(image and image["width"] >= 1000 and len(png) > 20000 and image["colours"] >= 6,
                      "a screenshot looks blank (%d bytes, %s)" % (len(png), image))
            # A link opened from outside the page (a bookmark) lands too.
            browser.open(pubs, "#w0")
            check(browser.wait_for("return !!document.querySelector('#dest-code mark.current')"), "#w0 marks no word")

            check_loads(browser, mixed)
            check_filters(browser, mixed_alarms)
            # A word the converted line holds at its place, one it does not
            # (RAISERROR became PRINT), and the last row.
            for row in sorted({0, 1, len(mixed_alarms) - 1}):
                check_link(browser, row)
            check_hostile(browser, options.ambrix, work)
        finally:
            browser.close()
    print("report in the browser: pubs, ledger+demo and a hostile script checked; screenshots in " + options.out)
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except Failed as failure:
        print("FAILED: %s" % failure, file=sys.stderr)
        sys.exit(1)
