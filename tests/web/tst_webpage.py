#!/usr/bin/python3
"""The station's web page in a real browser (headless chromium through chromedriver),
against orvik-station and orvik-sim on free loopback ports: a token typed into the page,
key 5 clicked, the select on the wire and at a line client; a WebSocket handshake from a
foreign origin refused. With --clicks N it also prints the click-to-wire figures, and
with --screenshot FILE it keeps a picture of the page.

Needs ORVIK_SIM and ORVIK_STATION (CTest sets them); exits 77 (skipped) without a browser.
"""
import argparse, json, os, random, shutil, socket, subprocess, sys, tempfile, time

def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]

def wait(condition, seconds=10.0, what="condition"):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        value = condition()
        if value:
            return value
        time.sleep(0.02)
    raise AssertionError("timed out waiting for " + what)

def sim_frames(log):
    """(ms, direction, bytes) of every frame in the simulator's log."""
    frames = []
    try:
        with open(log) as f:
            for line in f:
                try:
                    o = json.loads(line)
                except ValueError:
                    continue  # the line being written
                frames.append((o.get("ms", 0), o.get("dir"), bytes.fromhex(o.get("hex", ""))))
    except FileNotFoundError:
        pass
    return frames

class LineClient:
    def __init__(self, port, token):
        self.sock = socket.create_connection(("127.0.0.1", port), timeout=10)
        self.buffer = b""
        self.expect(lambda l: l.startswith("V"))
        self.sock.sendall(b"C1|auth token=" + token.encode() + b"\nC2|sub switch\n")
        self.expect(lambda l: l.startswith("R2|00"))

    def expect(self, match):
        while True:
            while b"\n" in self.buffer:
                line, self.buffer = self.buffer.split(b"\n", 1)
                if match(line.decode()):
                    return line.decode()
            chunk = self.sock.recv(4096)
            if not chunk:
                raise AssertionError("the station closed the line client")
            self.buffer += chunk

def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--clicks", type=int, default=0)
    parser.add_argument("--screenshot")
    args = parser.parse_args()
    sim_program, station = os.environ.get("ORVIK_SIM"), os.environ.get("ORVIK_STATION")
    driver_path = shutil.which("chromedriver")
    try:
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service
        from selenium.webdriver.common.by import By
    except ImportError:
        driver_path = None
    if not (sim_program and station and driver_path):
        print("skipped: needs ORVIK_SIM, ORVIK_STATION, chromedriver and python3-selenium")
        return 77

    work = tempfile.mkdtemp()
    link, log = os.path.join(work, "tty"), os.path.join(work, "sim.jsonl")
    line_port, web_port = free_port(), free_port()
    config = os.path.join(work, "station.ini")
    with open(config, "w") as f:
        f.write("[Station]\nName=Web Test\nPort=%s\nListen=127.0.0.1:%d\nWeb=127.0.0.1:%d\n"
                "RequireAuth=always\n[Labels]\nANT5=Dipole 40m\n" % (link, line_port, web_port))
    token = subprocess.run([station, "--config", config, "--add-token", "browser", "--role",
                            "control"], check=True, capture_output=True, text=True).stdout.strip()
    sim = subprocess.Popen([sim_program, "--link", link, "--log", log], stdin=subprocess.PIPE,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    server = subprocess.Popen([station, "--config", config])
    browser = None
    try:
        polls = lambda: sum(1 for _, d, b in sim_frames(log) if d == "rx" and b == b"IGT3;")
        wait(lambda: polls() >= 2, what="the station's polls")

        # A handshake from a page the station did not serve.
        with socket.create_connection(("127.0.0.1", web_port), timeout=10) as s:
            s.sendall(("GET /ws HTTP/1.1\r\nHost: 127.0.0.1:%d\r\nUpgrade: websocket\r\n"
                       "Connection: Upgrade\r\nSec-WebSocket-Version: 13\r\n"
                       "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
                       "Origin: http://evil.example\r\n\r\n" % web_port).encode())
            answer = s.recv(4096).decode()
            assert answer.startswith("HTTP/1.1 403"), answer

        watcher = LineClient(line_port, token)
        options = webdriver.ChromeOptions()
        for flag in ("--headless=new", "--no-sandbox", "--disable-gpu", "--window-size=400,760"):
            options.add_argument(flag)
        browser = webdriver.Chrome(service=Service(driver_path), options=options)
        browser.get("http://127.0.0.1:%d/" % web_port)
        field = browser.find_element(By.ID, "token")
        field.clear()
        field.send_keys(token)
        browser.find_element(By.ID, "connect").click()
        key = lambda n: browser.find_element(By.CSS_SELECTOR, '[data-tx="%d"]' % n)
        wait(lambda: "selected" in key(1).get_attribute("class"), what="key 1 lit")
        assert key(5).text.endswith("Dipole 40m"), key(5).text

        mark = len(sim_frames(log))
        key(5).click()
        wait(lambda: any(d == "rx" and b == b"IGS4;" for _, d, b in sim_frames(log)[mark:]),
             what="IGS4; at the switch")
        watcher.expect(lambda l: l.startswith("S0|switch tx=5 "))
        wait(lambda: "selected" in key(5).get_attribute("class"), what="key 5 lit")
        if args.screenshot:
            browser.save_screenshot(args.screenshot)

        # The click is stamped where the page receives it, not where WebDriver is asked
        # for it: the browser's wall clock, turned into the simulator's monotonic one.
        browser.execute_script("document.addEventListener('click', () => "
                               "{ window.clickedAt = Date.now(); }, true);")
        offset = time.time() * 1000 - time.clock_gettime(time.CLOCK_MONOTONIC) * 1000
        latencies = []
        for i in range(args.clicks):
            n, frame = (3, b"IGS2;") if i % 2 == 0 else (5, b"IGS4;")
            mark = len(sim_frames(log))
            key(n).click()
            clicked = browser.execute_script("return window.clickedAt;") - offset
            at = wait(lambda: next((ms for ms, d, b in sim_frames(log)[mark:]
                                    if d == "rx" and b == frame), None), what="the select")
            latencies.append(at - clicked)
            # At random moments, so the clicks fall at every phase of the polls.
            time.sleep(random.uniform(0.3, 0.7))
        if latencies:
            latencies.sort()
            pick = lambda q: latencies[min(len(latencies) - 1, int(q * len(latencies)))]
            print("| Web page key click to select on the wire, p50 / p99 (%d clicks, chromium) "
                  "| %.1f / %.1f ms | p99 <= 100 ms |" % (len(latencies), pick(0.5), pick(0.99)))
        print("web page: all checks passed")
        return 0
    finally:
        if browser:
            browser.quit()
        server.terminate()
        server.wait(10)
        sim.kill()
        sim.wait(10)
        shutil.rmtree(work, ignore_errors=True)

if __name__ == "__main__":
    sys.exit(main())
