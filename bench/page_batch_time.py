#!/usr/bin/python3
"""Times the page's batch in headless Chromium: the seconds its worker took,
as the page's "rows scored ... in 0.41 s." says, for one file in one output
format, the least of five runs. With --whole, the seconds from Score File
to that line instead (reading the file and handing it over included).

usage: page_batch_time.py PAGE FILE text|csv|json [--whole]
"""
import re
import sys
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By

PAGE, FILE, FORMAT = sys.argv[1:4]
WHOLE = sys.argv[4:5] == ['--whole']
FORMAT_VALUE = {'text': '0', 'csv': '1', 'json': '2'}[FORMAT]

options = webdriver.ChromeOptions()
options.binary_location = '/usr/bin/chromium'
for argument in ['--headless=new', '--no-sandbox', '--disable-gpu', '--window-size=1280,720',
                 '--disable-dev-shm-usage']:
    options.add_argument(argument)
driver = webdriver.Chrome(service=Service('/usr/bin/chromedriver'), options=options)
try:
    driver.get('file://' + PAGE)
    deadline = time.time() + 60
    while driver.execute_script("return document.body.dataset.ready") != 'true':
        if time.time() > deadline:
            sys.exit('page_batch_time: the page did not become ready')
        time.sleep(0.05)
    driver.find_element(By.ID, 'batch-file').send_keys(FILE)
    driver.find_element(By.CSS_SELECTOR, f'#batch-format option[value="{FORMAT_VALUE}"]').click()
    best = None
    for run in range(5):
        start = time.perf_counter()
        driver.find_element(By.ID, 'batch-run').click()
        while driver.execute_script("return document.getElementById('batch-run').disabled"):
            time.sleep(0.02)
        seconds = time.perf_counter() - start
        status = driver.find_element(By.ID, 'batch-status').text
        if 'rows scored' not in status:
            sys.exit(f'page_batch_time: the batch did not end as expected: {status!r}')
        if not WHOLE:
            seconds = float(re.search(r' in ([0-9.]+) s\.$', status).group(1))
        best = seconds if best is None else min(best, seconds)
    print(f'{best:.3f}')
finally:
    driver.quit()
