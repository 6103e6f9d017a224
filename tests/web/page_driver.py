"""Headless Chromium driving the show page through chromedriver: start-up, file fields,
downloads, viewport sizes and reading pixels back from the page's canvases. Every edit waits
until the page has settled (body[data-state] back to "idle" after the edit's check)."""
import base64
import json
import os
import shutil
import tempfile

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

CHROMIUM = os.environ.get("REELBOX_CHROMIUM", "/usr/bin/chromium")
CHROMEDRIVER = os.environ.get("REELBOX_CHROMEDRIVER", "/usr/bin/chromedriver")
TIMEOUT = 60  # seconds any one condition may take on a loaded machine


class Page:
    """One browser with the page open; use with `with`."""

    def __init__(self, url, before_load=None, ready="document.body.dataset.ready || ''",
                 started=("true", "failed")):
        self.profile = tempfile.mkdtemp(prefix="reelbox-chromium-")
        self.downloads = os.path.join(self.profile, "downloads")
        os.mkdir(self.downloads)
        options = webdriver.ChromeOptions()
        options.binary_location = CHROMIUM
        for flag in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-quic",
                     "--no-first-run", "--disable-background-networking",
                     "--disable-component-update", "--disable-sync",
                     "--disable-dev-shm-usage", "--window-size=1400,1800",
                     f"--user-data-dir={os.path.join(self.profile, 'profile')}"):
            options.add_argument(flag)
        options.add_experimental_option("prefs", {
            "download.default_directory": self.downloads,
            "download.prompt_for_download": False,
        })
        options.set_capability("goog:loggingPrefs", {"browser": "ALL", "performance": "ALL"})
        self.ready = ready
        self.driver = webdriver.Chrome(service=Service(CHROMEDRIVER), options=options)
        self.driver.execute_cdp_cmd("Browser.setDownloadBehavior",
                                    {"behavior": "allow", "downloadPath": self.downloads})
        if before_load:
            before_load(self.driver)
        self.driver.get(url)
        self.wait_for(lambda: self.body_state() in started, "the page to start")
        assert self.body_state() != "failed", self.driver.find_element(By.TAG_NAME, "body").text
        # The show page checks its first inputs once started; a web show has no checks.
        if self.driver.execute_script("return document.body.dataset.state") in ("busy", "idle"):
            self.wait_for(lambda: self.settles() > 0 and self.idle(), "the page's first check")

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.driver.quit()
        shutil.rmtree(self.profile, ignore_errors=True)

    def body_state(self):
        return self.driver.execute_script("return " + self.ready)

    def wait_for(self, condition, what):
        WebDriverWait(self.driver, TIMEOUT, poll_frequency=0.05).until(
            lambda _: condition(), message=f"waited {TIMEOUT} s for {what}")

    def settles(self):
        return self.driver.execute_script("return window.reelboxSettles || 0")

    def idle(self):
        return self.driver.execute_script("return document.body.dataset.state") == "idle"

    def settled_after(self, action, what):
        """Runs action and waits until the page has caught up with it."""
        before = self.settles()
        action()
        self.wait_for(lambda: self.settles() > before and self.idle(), what)

    def viewport(self, width, height, mobile=False):
        """Emulates a screen of width x CSS pixels, as a phone when mobile."""
        self.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
            "width": width, "height": height, "deviceScaleFactor": 1, "mobile": mobile})

    def element(self, element_id):
        return self.driver.find_element(By.ID, element_id)

    def text(self, element_id):
        """The element's text, shown or not."""
        return self.driver.execute_script(
            "return document.getElementById(arguments[0]).textContent.trim()", element_id)

    def set_file(self, element_id, path):
        """Picks a file and waits until the page has read it and checked the show."""
        self.settled_after(lambda: self.element(element_id).send_keys(os.path.abspath(path)),
                           f"the page to read {path}")

    def set_value(self, element_id, value):
        """Sets a text, number, colour or select field as typing would and fires `input`."""
        self.settled_after(lambda: self.driver.execute_script(
            "const e = document.getElementById(arguments[0]); e.value = arguments[1];"
            "e.dispatchEvent(new Event('input', {bubbles: true}));", element_id, value),
            f"the page to take {element_id}")

    def click(self, element_id, settle=None):
        """Clicks; waits for the page to settle after a form control (or when settle)."""
        element = self.element(element_id)
        if settle is None:
            settle = element.tag_name == "input"
        if settle:
            self.settled_after(element.click, f"the page to take a click on {element_id}")
        else:
            element.click()

    def canvas_rgba(self, element_id):
        """The canvas's pixels as (width, height, RGBA bytes)."""
        width, height, data = self.driver.execute_script(
            "const c = document.getElementById(arguments[0]);"
            "const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;"
            "let s = ''; for (let i = 0; i < d.length; i += 8192)"
            "  s += String.fromCharCode.apply(null, d.subarray(i, i + 8192));"
            "return [c.width, c.height, btoa(s)];", element_id)
        return width, height, base64.b64decode(data)

    def download(self, button_id="download", name="show.exe"):
        """Clicks the download button and answers the downloaded file's bytes."""
        self.click(button_id, settle=False)
        path = os.path.join(self.downloads, name)
        self.wait_for(lambda: os.path.exists(path) and not any(
            name.endswith(".crdownload") for name in os.listdir(self.downloads)),
            "the download to finish")
        with open(path, "rb") as f:
            data = f.read()
        os.remove(path)
        return data

    def screenshot(self, path):
        os.makedirs(os.path.dirname(path), exist_ok=True)
        self.driver.save_screenshot(path)

    def requested_urls(self, document):
        """Every URL the document has asked for (itself included) since the last call."""
        requests = [json.loads(entry["message"])["message"] for entry in self.driver.get_log("performance")]
        return [r["params"]["request"]["url"] for r in requests
                if r["method"] == "Network.requestWillBeSent" and r["params"].get("documentURL") == document]

    def console_errors(self):
        return [entry["message"] for entry in self.driver.get_log("browser")
                if entry["level"] == "SEVERE"]
