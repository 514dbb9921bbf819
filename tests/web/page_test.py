#!/usr/bin/python3
"""The page in headless Chromium, used as a clinician uses it, against the
native kalden-report: every golden case and generated ones typed from the
keyboard, rejected inputs included; a NUL typed; Save Output; batch output
in every format, an unreadable file, a million rows and Cancel; the person
and session, case files and the change between two assessments; the
requests the page makes; an accessibility audit.

usage: page_test.py PAGE KALDEN_REPORT CHECK_CMAKE AXE_JS [GENERATED]
"""
import base64
import hashlib
import json
import os
import random
import re
import shlex
import subprocess
import sys
import tempfile
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

PAGE, REPORT, CHECK_CMAKE, AXE = sys.argv[1:5]
# Case files the desktop program exported and the page saved.
CASE_FILES = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, 'case-files'))
GENERATED = int(sys.argv[5]) if len(sys.argv) > 5 else 300
SEPARATOR = ['', '-' * 103, '-' * 103, '']
OPTION_VALUES = {
    '--ci': ('ci', ['traditional95', 'traditional90', 'glutting95', 'glutting90']),
    '--basis': ('basis', ['observed', 'true']),
    '--criterion': ('criterion', ['5', '10', '15']),
}
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print('FAIL:', what[:2000], flush=True)


def start_browser(downloads):
    options = webdriver.ChromeOptions()
    options.binary_location = '/usr/bin/chromium'
    for a in ['--headless=new', '--no-sandbox', '--disable-gpu', '--lang=en-US', '--window-size=1280,720',
              '--disable-dev-shm-usage']:
        options.add_argument(a)
    options.set_capability('goog:loggingPrefs', {'browser': 'ALL', 'performance': 'ALL'})
    options.add_experimental_option('prefs', {'download.default_directory': downloads,
                                              'download.prompt_for_download': False})
    driver = webdriver.Chrome(service=Service('/usr/bin/chromedriver'), options=options)
    driver.execute_cdp_cmd('Page.setDownloadBehavior', {'behavior': 'allow', 'downloadPath': downloads})
    return driver


def native(args):
    done = subprocess.run([REPORT] + args, capture_output=True, env=dict(os.environ, LC_ALL='C.UTF-8'))
    return done.returncode, done.stdout.decode('utf-8'), done.stderr.decode('utf-8')


def golden_cases():
    """The expect_report(...) calls of the golden check: their arguments."""
    text = open(CHECK_CMAKE).read()
    cases = []
    for m in re.finditer(r'expect_report\((\w+)\s+(.*?)\)\n', text, re.S):
        cases.append((m.group(1), shlex.split(m.group(2).replace('\n', ' '))))
    return cases


def parse_args(args):
    """kalden-report's arguments as what the page is given."""
    case = {'ci': 0, 'basis': 0, 'bonferroni': 0, 'criterion': 0, 'notes': [], 'scores': []}
    i = 0
    while i < len(args):
        a = args[i]
        if a in OPTION_VALUES:
            name, values = OPTION_VALUES[a]
            case[name] = values.index(args[i + 1])
            i += 2
            continue
        if a == '--bonferroni':
            case['bonferroni'] = 1
        elif a.startswith('--note='):
            case['notes'].append(a[len('--note='):])
        elif a == '--note':
            case['notes'].append(args[i + 1])
            i += 1
        elif a != '--':
            case['scores'].append(a)
        i += 1
    return case


def as_args(case):
    args = ['--ci', OPTION_VALUES['--ci'][1][case['ci']], '--basis', OPTION_VALUES['--basis'][1][case['basis']],
            '--criterion', OPTION_VALUES['--criterion'][1][case['criterion']]]
    if case['bonferroni']:
        args.append('--bonferroni')
    for n in case['notes']:
        args.append('--note=' + n)
    return args + ['--'] + case['scores']


def generated_case(rng):
    def score():
        r = rng.random()
        if r < 0.80:
            return str(rng.randint(1, 19))
        if r < 0.88:
            return f'{rng.randint(1, 18)}.{rng.choice([5, 25, 75])}'
        if r < 0.93:
            return ' ' + str(rng.randint(1, 19))
        return rng.choice(['abc', '0', '20', '-3', '', '1.2.3', '19.5', '7x', '.', '-', '0.5'])
    case = {'ci': rng.randrange(4), 'basis': rng.randrange(2), 'bonferroni': rng.randrange(2),
            'criterion': rng.randrange(3), 'scores': [score() for _ in range(7)], 'notes': []}
    if rng.random() < 0.3:
        case['notes'] = [rng.choice(['Referred for review', 'second sitting', 'Æsa Þór, 2026-12-01', ''])
                         for _ in range(rng.randint(1, 3))]
        if not any(case['notes']):  # a memo with nothing typed holds no notes
            case['notes'] = []
    return case


def typed_lines(lines):
    """The notes lines the worksheet takes from `lines` typed with Enter
    between them: a final empty line is only the place after the last line
    break, not a line of its own."""
    taken = '\n'.join(lines).split('\n')
    if taken[-1] == '':
        taken.pop()
    return taken


def press(driver, *keys):
    webdriver.ActionChains(driver).send_keys(*keys).perform()


def active_id(driver):
    return driver.execute_script('return document.activeElement && document.activeElement.id || document.activeElement.name')


def type_case(driver, case, current):
    """Types a case from the keyboard alone: Clear Data, the scores field by
    field with Tab, the options with the arrow keys, the notes, Return."""
    driver.find_element(By.ID, 'clear-data').click()          # leaves the focus in the first field
    check(active_id(driver) == 'f1', 'Clear Data leaves the focus in the first field')
    for k, text in enumerate(case['scores'], 1):
        if text:
            press(driver, text)
        press(driver, Keys.TAB)
    # Tab enters each option group at its ticked choice; Right moves and ticks.
    for name, count in (('ci', 4), ('basis', 2), ('bonferroni', 2), ('criterion', 3)):
        check(active_id(driver) == name, f'Tab reaches the {name} group, not {active_id(driver)}')
        for _ in range((case[name] - current[name]) % count):
            press(driver, Keys.ARROW_RIGHT)
        current[name] = case[name]
        press(driver, Keys.TAB)
    check(active_id(driver) == 'notes', 'Tab reaches the notes')
    for i, line in enumerate(case['notes']):
        if i:
            press(driver, Keys.ENTER)
        if line:
            press(driver, line)
    press(driver, Keys.TAB)
    check(active_id(driver) == 'compute', 'Tab reaches Compute')
    press(driver, Keys.ENTER)


def reports(driver):
    return driver.execute_script("return [...document.querySelectorAll('#results pre.report')].map(p => p.textContent)")


def wait_for(driver, script, seconds=60):
    end = time.time() + seconds
    while time.time() < end:
        value = driver.execute_script(script)
        if value:
            return value
        time.sleep(0.02)
    raise TimeoutError(script)


def wait_for_file(folder, name, seconds=30, read=True):
    path = os.path.join(folder, name)
    end = time.time() + seconds
    while time.time() < end:
        if os.path.exists(path) and not os.path.exists(path + '.crdownload'):
            time.sleep(0.2)
            return open(path, 'rb').read() if read else path
        time.sleep(0.05)
    raise TimeoutError(path)


def run_cases(driver, cases, expected_lines):
    current = {'ci': 0, 'basis': 0, 'bonferroni': 0, 'criterion': 0}
    identical = 0
    for label, case in cases:
        status, out, err = native(as_args(dict(case, notes=typed_lines(case['notes']))))
        before = len(reports(driver))
        type_case(driver, case, current)
        if status == 0:
            shown = reports(driver)
            if len(shown) != before + 1:
                check(False, f'{label}: no report; message: ' + driver.find_element(By.ID, 'message').text)
                continue
            message = driver.execute_script("return document.getElementById('message').textContent")
            same = shown[-1] == out and message == err.rstrip('\n')
            check(same, f'{label}: {as_args(case)} differs from kalden-report')
            identical += same
            expected_lines.extend((SEPARATOR if expected_lines else []) + out.split('\n')[:-1])
        else:
            message = driver.execute_script("return document.getElementById('message').textContent")
            focused = active_id(driver)
            check(len(reports(driver)) == before, f'{label}: a rejected case added a report')
            field = int(focused[1:]) if focused and focused.startswith('f') else 0
            caption = driver.find_element(By.CSS_SELECTOR, f'label[for="f{field}"]').text if field else ''
            same = status == 2 and message + '\n' == err and caption != '' and caption in err
            check(same, f'{label}: {as_args(case)}: page says {message!r} in {focused}, kalden-report {status} {err!r}')
            identical += same
    return identical


def batch_csv(rng, rows):
    lines = ['id,vocabulary,digit_symbol,similarities,block_design,arithmetic,digit_span,matrix_reasoning,ci,basis,'
             'bonferroni,criterion,notes']
    for i in range(rows):
        case = generated_case(rng)
        scores = [s.strip() if rng.random() < 0.97 else 'x' for s in case['scores']]
        opts = [rng.choice(['', 'traditional95', 'glutting90']), rng.choice(['', 'observed', 'true']),
                rng.choice(['', 'yes', 'no']), rng.choice(['', '5', '15'])]
        note = '"line one\nline ""two"""' if i % 17 == 0 else ''
        lines.append(','.join([f'case {i}'] + scores + opts + [note]))
    return '\r\n'.join(lines) + '\r\n'


def batch_ready(driver):
    """Score File pressable again, Cancel and Save Batch Output not."""
    return driver.execute_script(
        "const d = (id) => document.getElementById(id).disabled; "
        "return !d('batch-run') && d('batch-cancel') && d('batch-save');")


def digest_of(stream):
    """The SHA-256 and length of everything a stream gives, read in pieces."""
    digest = hashlib.sha256()
    size = 0
    while chunk := stream.read(1 << 20):
        digest.update(chunk)
        size += len(chunk)
    return digest.hexdigest(), size


def choice_values(driver):
    """The basis, Bonferroni and criterion chosen on the page, as a batch file's cells."""
    return ','.join(driver.execute_script(
        "return ['basis', 'bonferroni', 'criterion'].map(n => "
        "document.querySelector(`input[name=${n}]:checked`).value)")).encode()


def set_values(driver, values):
    driver.execute_script(
        'for (const [id, value] of Object.entries(arguments[0])) document.getElementById(id).value = value;', values)


def person_case_files_and_change(driver, downloads):
    """The person and session head the case; the page's cases go into a case
    file that kalden-report reads, and come back in a fresh page; a second
    assessment is compared with the first as kalden-report --cases compare
    compares them; a case file changed by hand and a session the desktop
    would refuse are refused with their messages."""
    driver.get('file://' + os.path.abspath(PAGE))
    wait_for(driver, 'return document.body.dataset.ready')
    check(driver.find_element(By.ID, 'testing-date').get_attribute('value') == time.strftime('%Y-%m-%d'),
          'the date of testing is today until changed')
    scores = {f'f{k}': v for k, v in enumerate(['10', '10', '10', '10.5', '10', '10', '10'], 1)}
    set_values(driver, dict(scores, **{'person': 'Carl Dunn', 'birth-date': '2027-01-02', 'testing-date': '2026-03-30',
                                       'examiner': 'Dr E. Fox', 'referral': 'review, after surgery'}))
    driver.find_element(By.ID, 'compute').click()
    message = driver.find_element(By.ID, 'message').text
    check(message == 'The date of birth (2027-01-02) comes after the date of testing (2026-03-30).' and
          active_id(driver) == 'birth-date' and reports(driver) == [],
          f'a date of birth after the testing is refused as the desktop refuses it: {message!r}, {active_id(driver)}')
    set_values(driver, {'birth-date': '1970-01-02'})
    driver.find_element(By.ID, 'compute').click()
    first = reports(driver)
    title = driver.find_element(By.ID, 'chart').text
    check(len(first) == 1 and 'Carl Dunn (born 1970-01-02), tested 2026-03-30 (age 56 years 2 months) by Dr E. Fox'
          in title, f'the person and session head the chart: {title[:200]!r}')

    driver.find_element(By.ID, 'save-case-file').click()
    saved = os.path.join(downloads, 'cases.kalden.json')
    wait_for_file(downloads, 'cases.kalden.json')
    status, out, err = native(['--case-file', saved])
    check(status == 0 and out == first[0], f'kalden-report --case-file prints the page\'s report: {status} {err}')

    driver.get('file://' + os.path.abspath(PAGE))
    wait_for(driver, 'return document.body.dataset.ready')
    driver.find_element(By.ID, 'case-file').send_keys(saved)
    wait_for(driver, "return document.getElementById('case-file-message').textContent")
    said = driver.find_element(By.ID, 'case-file-message').text
    check(said == 'cases.kalden.json: 1 case opened.' and reports(driver) == first,
          f'the case file opens in a fresh page with its report: {said!r}')
    os.remove(saved)

    set_values(driver, dict({f'f{k}': v for k, v in enumerate(['11', '9', '12', '10', '9', '11', '12'], 1)},
                            **{'person': 'Carl Dunn', 'birth-date': '1970-01-02', 'testing-date': '2026-05-01',
                               'examiner': 'Dr E. Fox', 'referral': 'review'}))
    driver.find_element(By.ID, 'compute').click()
    set_values(driver, {'practice-vc': '2', 'practice-po': '1', 'practice-wm': '', 'practice-ps': '1',
                        'practice-fsiq': '2', 'practice-source': 'retest study'})
    driver.find_element(By.ID, 'compare').click()
    section = reports(driver)[-1]
    driver.find_element(By.ID, 'save-case-file').click()
    wait_for_file(downloads, 'cases.kalden.json')
    status, out, err = native(['--cases', 'compare', '1', '2', '--practice', '2,1,0,1,2', '--practice-source',
                               'retest study', '--case-file', saved])
    check(status == 0 and section == out and 'Second assessment       : case 2, tested 2026-05-01' in out,
          f'the change section is kalden-report\'s: {status} {err}\n{section}\n{out}')

    # Print, as Chromium prints to PDF without its own header and footer:
    # each case headed by its person and session, its report and its chart,
    # then the change with both assessments on one chart; every page numbered.
    pdf = os.path.join(downloads, 'printout.pdf')
    with open(pdf, 'wb') as f:
        f.write(base64.b64decode(driver.execute_cdp_cmd('Page.printToPDF', {
            'displayHeaderFooter': False, 'printBackground': True, 'preferCSSPageSize': True})['data']))
    pages = subprocess.run(['pdftotext', '-layout', pdf, '-'], capture_output=True).stdout.decode('utf-8').split('\f')[:-1]
    print(f'figure: the printout of two cases and their change: {len(pages)} pages ({pdf})')
    numbered = all(p.rstrip().endswith(f'Page {i} of {len(pages)}') for i, p in enumerate(pages, 1))
    text = '\f'.join(pages)
    # Each person's line twice: heading the case and titling its chart.
    check(len(pages) >= 3 and numbered and text.count('Carl Dunn (born 1970-01-02), tested 2026-03-30') == 2 and
          text.count('Carl Dunn (born 1970-01-02), tested 2026-05-01') == 2 and
          text.count('Verbal Comprehension') == 3 and text.count('Percentile') >= 4 and
          'Change between two assessments: 1: Carl Dunn, tested 2026-03-30' in text and
          pages[-1].count('Carl Dunn (born 1970-01-02) \u2014 Change between two assessments') == 1 and
          'First, tested 2026-03-30 (case 1)' in pages[-1],
          f'the printout holds each case\'s person, report and chart, numbered: {text[:3000]}')

    with open(saved, encoding='utf-8') as f:
        changed = f.read().replace('"10","10","10","10.5"', '"13","10","10","10.5"', 1)
    edited = os.path.join(tempfile.mkdtemp(prefix='kalden-edited-'), 'edited.kalden.json')
    with open(edited, 'w', encoding='utf-8') as f:
        f.write(changed)
    count = len(reports(driver))
    driver.find_element(By.ID, 'case-file').send_keys(edited)
    wait_for(driver, "return document.getElementById('case-file-message').textContent")
    said = driver.find_element(By.ID, 'case-file-message').text
    check(said.startswith('edited.kalden.json: refused, and nothing was opened: case 1 (Carl Dunn): its report '
                          'differs from the one computed again from its scores, at line ')
          and len(reports(driver)) == count, f'a case file changed by hand is refused: {said!r}')
    os.remove(saved)


def case_files_across_programs(driver, downloads):
    """A case file the desktop exported opens with the reports the desktop
    computed, and its two assessments compare on one chart as kalden-report
    compares them; the page saves what the desktop's import was tested with
    (tests/case-files/page.kalden.json), but for the moment and version."""
    desktop = os.path.join(CASE_FILES, 'desktop.kalden.json')
    with open(desktop, encoding='utf-8') as f:
        filed = json.load(f)['cases']
    driver.get('file://' + os.path.abspath(PAGE))
    wait_for(driver, 'return document.body.dataset.ready')
    driver.find_element(By.ID, 'case-file').send_keys(desktop)
    wait_for(driver, "return document.getElementById('case-file-message').textContent")
    said = driver.find_element(By.ID, 'case-file-message').text
    check(said == 'desktop.kalden.json: 2 cases opened.' and
          reports(driver) == ['\n'.join(c['report']) + '\n' for c in filed],
          f'the desktop\'s case file opens with the desktop\'s reports: {said!r}')

    driver.find_element(By.ID, 'compare').click()
    status, out, err = native(['--cases', 'compare', '1', '2', '--case-file', desktop])
    section = reports(driver)[-1]
    check(status == 0 and section == out, f'the desktop\'s cases compare as kalden-report compares them: {err}')
    chart = driver.find_element(By.ID, 'chart')
    title = chart.find_element(By.TAG_NAME, 'title').get_attribute('textContent')
    legend = [t.get_attribute('textContent') for t in chart.find_elements(By.TAG_NAME, 'text')]
    check(title.startswith('Index profile chart: Dana Holm (born 1958-07-21) \u2014 Change between two assessments '
                           '\u2014 KALDEN ') and
          'First, tested 2025-11-03 (case 2)' in legend and 'Second, tested 2026-11-30 (case 1)' in legend and
          legend.count('reliable fall') == 1 and '\u221211' in legend and '108 (101\u2013115)' in legend,
          f'both assessments on one chart with the change under each Index: {title!r} {legend}')

    fixture = os.path.join(CASE_FILES, 'page.kalden.json')
    with open(fixture, encoding='utf-8') as f:
        expected = json.load(f)
    case = expected['cases'][0]
    driver.get('file://' + os.path.abspath(PAGE))
    wait_for(driver, 'return document.body.dataset.ready')
    session = {'person': 'person', 'birth-date': 'birth_date', 'testing-date': 'testing_date',
               'examiner': 'examiner', 'referral': 'referral'}
    set_values(driver, dict({f'f{k}': v for k, v in enumerate(case['scores'], 1)},
                            **{field: case['session'][key] for field, key in session.items()}))
    driver.find_element(By.ID, 'compute').click()
    driver.find_element(By.ID, 'save-case-file').click()
    saved = os.path.join(downloads, 'cases.kalden.json')
    with open(wait_for_file(downloads, 'cases.kalden.json', read=False), encoding='utf-8') as f:
        written = json.load(f)
    os.remove(saved)
    for kept in (expected, written):
        kept.pop('program')
        for c in kept['cases']:
            for key in ('computed_utc', 'utc_offset_minutes', 'computed', 'program'):
                c.pop(key)
    check(written == expected, f'the page saves the case file the desktop\'s import is tested with: {written}')


def main():
    downloads = tempfile.mkdtemp(prefix='kalden-web-')
    rng_seed = int(os.environ.get('KALDEN_WEB_SEED', time.time_ns() % 1000000007))
    print('generated cases from seed', rng_seed, '(KALDEN_WEB_SEED repeats them)')
    rng = random.Random(rng_seed)
    driver = start_browser(downloads)
    try:
        started = time.time()
        driver.get('file://' + os.path.abspath(PAGE))
        wait_for(driver, 'return document.body.dataset.ready')
        print(f'figure: page usable {time.time() - started:.3f} s after opening it')

        cases = [(name, parse_args(args)) for name, args in golden_cases()]
        check(len(cases) >= 10, 'the golden cases were found')
        cases += [(f'generated {i}', generated_case(rng)) for i in range(GENERATED)]
        expected = []
        t = time.time()
        identical = run_cases(driver, cases, expected)
        print(f'figure: identical to kalden-report: {identical} of {len(cases)} cases '
              f'({time.time() - t:.1f} s typing and computing)')

        # Compute to report shown, measured in the page.
        ms = driver.execute_script('''
            for (let k = 1; k <= 7; ++k) document.getElementById('f' + k).value = String(k + 6);
            const t = performance.now();
            document.getElementById('compute').click();
            return performance.now() - t;''')
        print(f'figure: Compute to report shown {ms:.1f} ms')
        timed = dict(cases[-1][1], scores=[str(k + 6) for k in range(1, 8)], notes=typed_lines(cases[-1][1]['notes']))
        _, out, _ = native(as_args(timed))
        check(reports(driver)[-1] == out, 'the timed case')
        expected.extend((SEPARATOR if expected else []) + out.split('\n')[:-1])

        # Notes are taken apart into lines by the worksheet's rule: a final
        # break starts no line, CR LF is one break, an empty line between
        # others stays. The lines are written out here, not taken from --note.
        for note, lines in (('first line\n', ['first line']), ('one\r\ntwo\r\n', ['one', 'two']),
                            ('a\n\nb\n\n', ['a', '', 'b', '']), ('\n', [''])):
            driver.execute_script('''
                for (let k = 1; k <= 7; ++k) document.getElementById('f' + k).value = String(k + 5);
                document.getElementById('notes').value = arguments[0];
                document.getElementById('compute').click();''', note)
            noted = dict(cases[-1][1], scores=[str(k + 5) for k in range(1, 8)], notes=lines)
            _, out, _ = native(as_args(noted))
            check(reports(driver)[-1] == out, f'the notes {note!r} are the lines {lines}')
            expected.extend((SEPARATOR if expected else []) + out.split('\n')[:-1])

        driver.find_element(By.ID, 'save-output').click()
        saved = wait_for_file(downloads, 'results.txt')
        check(saved == ''.join(l + '\r\n' for l in expected).encode('utf-8'),
              'Save Output writes every report with its separators, CR LF')

        # A NUL typed in a field stays that field's: a score with one is
        # refused with the field's message, and notes with one are kept
        # whole; the options chosen are the ones the report states.
        count = len(reports(driver))
        driver.execute_script("""
            document.querySelector('input[name="ci"][value="glutting90"]').checked = true;
            for (let k = 1; k <= 6; ++k) document.getElementById('f' + k).value = String(k + 6);
            document.getElementById('f7').value = '13\\u0000';
            document.getElementById('notes').value = '';
            document.getElementById('compute').click();""")
        message = driver.find_element(By.ID, 'message').text
        check(len(reports(driver)) == count and active_id(driver) == 'f7' and 'MATRIX' in message.upper(),
              f'a NUL in a score is refused as that field\'s: {message!r}')
        driver.execute_script("""
            document.getElementById('f7').value = '13';
            document.getElementById('notes').value = 'before\\u0000after';
            document.getElementById('compute').click();""")
        noted = os.path.join(tempfile.mkdtemp(prefix='kalden-nul-'), 'nul.csv')
        with open(noted, 'wb') as f:
            f.write(b'id,vocabulary,digit_symbol,similarities,block_design,arithmetic,digit_span,matrix_reasoning,'
                    b'ci,basis,bonferroni,criterion,notes\nx,7,8,9,10,11,12,13,glutting90,' +
                    choice_values(driver) + b',before\x00after\n')
        done = subprocess.run([REPORT, '--batch', noted], capture_output=True)
        check(reports(driver)[-1] == done.stdout.decode('utf-8'),
              'a NUL in the notes gives the report kalden-report gives: ' + reports(driver)[-1][:300])
        driver.execute_script("document.querySelector('input[name=\"ci\"][value=\"traditional95\"]').checked = true;")

        # Batch scoring of a file the user picks, every format.
        folder = tempfile.mkdtemp(prefix='kalden-batch-')
        source = os.path.join(folder, 'clinic.csv')
        with open(source, 'w', newline='') as f:
            f.write(batch_csv(rng, 2000))
        for value, fmt, ext in (('1', 'csv', 'csv'), ('2', 'json', 'json'), ('0', 'text', 'txt')):
            native_out = os.path.join(folder, 'native.' + ext)
            # The page's option values are the command line's names.
            ci, basis, bonferroni, criterion = driver.execute_script(
                "return ['ci', 'basis', 'bonferroni', 'criterion'].map(n => "
                "document.querySelector(`input[name=${n}]:checked`).value)")
            options = ['--ci', ci, '--basis', basis, '--criterion', criterion] + (
                ['--bonferroni'] if bonferroni == 'yes' else [])
            done = subprocess.run([REPORT, '--batch', source, '--format', fmt, '--output', native_out, '--jobs', '1']
                                  + options, capture_output=True)
            check(done.returncode == 2, f'kalden-report --batch {fmt}: {done.returncode} {done.stderr[-300:]}')
            driver.find_element(By.ID, 'batch-file').send_keys(source)
            driver.find_element(By.CSS_SELECTOR, f'#batch-format option[value="{value}"]').click()
            t = time.time()
            driver.find_element(By.ID, 'batch-run').click()
            wait_for(driver, "return !document.getElementById('batch-save').disabled || "
                             "document.getElementById('batch-status').textContent.includes(':')", 120)
            status_text = driver.find_element(By.ID, 'batch-status').text
            print(f'figure: batch {fmt}: {status_text}')
            driver.find_element(By.ID, 'batch-save').click()
            page_out = wait_for_file(downloads, 'clinic-scored.' + ext)
            os.remove(os.path.join(downloads, 'clinic-scored.' + ext))
            if page_out != open(native_out, 'rb').read():
                kept = os.path.join(folder, 'page.' + ext)
                open(kept, 'wb').write(page_out)
                check(False, f'batch {fmt} output differs from kalden-report ({native_out}, {kept})')
            messages = driver.find_element(By.ID, 'batch-messages').text
            native_messages = done.stderr.decode('utf-8').replace('kalden-report: ', '')
            check(messages.strip() == native_messages.strip(), f'batch {fmt} messages differ: {messages[:300]!r}')

        # A file that cannot be read when Score File is pressed is said, and
        # the page is ready again.
        gone = os.path.join(folder, 'gone.csv')
        with open(gone, 'w') as f:
            f.write('id\n')
        driver.find_element(By.ID, 'batch-file').send_keys(gone)
        os.remove(gone)
        driver.find_element(By.ID, 'batch-run').click()
        status = wait_for(driver, "const s = document.getElementById('batch-status').textContent; "
                                  "return s.startsWith('gone.csv: ') && s;", 30)
        check(status.startswith('gone.csv: the file cannot be read (') and batch_ready(driver),
              f'an unreadable file is said: {status!r}')

        # A million rows: Cancel stops the batch and the page is ready again;
        # run to the end, the output, handed over in pieces, is byte for
        # byte kalden-report's.
        million = os.path.join(folder, 'million.csv')
        with open(million, 'w') as f:
            f.write('id,vocabulary,digit_symbol,similarities,block_design,arithmetic,digit_span,matrix_reasoning\n')
            for i in range(1000000):
                f.write(f'{i},' + ','.join(str(rng.randint(1, 19)) for _ in range(7)) + '\n')
        driver.find_element(By.ID, 'batch-file').send_keys(million)
        driver.find_element(By.CSS_SELECTOR, '#batch-format option[value="1"]').click()
        driver.find_element(By.ID, 'batch-run').click()
        wait_for(driver, "return document.getElementById('batch-progress').value > 0.005", 120)
        driver.find_element(By.ID, 'batch-cancel').click()
        status = driver.find_element(By.ID, 'batch-status').text
        check(status == 'Scoring of million.csv was cancelled; nothing was kept.' and batch_ready(driver),
              f'Cancel stops the batch: {status!r}')
        t = time.time()
        driver.find_element(By.ID, 'batch-run').click()
        wait_for(driver, "return !document.getElementById('batch-run').disabled", 1500)
        status = driver.find_element(By.ID, 'batch-status').text
        print(f'figure: batch of 1,000,000 rows, csv: {status} ({time.time() - t:.1f} s to ready)')
        check(status.startswith('million.csv: 1000000 rows scored, 0 rejected'), f'the million rows: {status!r}')
        native_digest, native_size = digest_of(subprocess.Popen(
            [REPORT, '--batch', million, '--format', 'csv', '--jobs', '2'] + options, stdout=subprocess.PIPE).stdout)
        driver.find_element(By.ID, 'batch-save').click()
        saved = wait_for_file(downloads, 'million-scored.csv', 600, read=False)
        with open(saved, 'rb') as f:
            page_digest, page_size = digest_of(f)
        os.remove(saved)
        os.remove(million)
        print(f'figure: the million rows\' output: {page_size} bytes')
        check((page_digest, page_size) == (native_digest, native_size),
              f'the million rows\' output is kalden-report\'s ({page_size} against {native_size} bytes)')

        person_case_files_and_change(driver, downloads)
        case_files_across_programs(driver, downloads)

        # Every request the page made: its own file, nothing else.
        requests = [json.loads(e['message'])['message'] for e in driver.get_log('performance')]
        urls = [m['params']['request']['url'] for m in requests if m['method'] == 'Network.requestWillBeSent']
        outside = [u for u in urls if not u.startswith(('blob:', 'data:')) and u != 'file://' + os.path.abspath(PAGE)]
        print(f'figure: requests: {len(urls)} in all, {len(outside)} beyond the page and its own blobs')
        check(outside == [], f'requests left the page: {outside}')
        severe = [e for e in driver.get_log('browser') if e['level'] == 'SEVERE']
        check(severe == [], f'browser errors: {severe}')
        check(driver.execute_script('return document.cookie === "" && localStorage.length === 0 && '
                                    'sessionStorage.length === 0'), 'nothing stored')

        # The accessibility audit, with a report and a chart on the page.
        driver.execute_script(open(AXE).read())
        result = driver.execute_async_script(
            'const done = arguments[arguments.length - 1]; axe.run(document).then(r => done(r.violations));')
        check(result == [], 'accessibility violations: ' + json.dumps(
            [(v['id'], [n['target'] for n in v['nodes']][:3]) for v in result]))
    finally:
        driver.quit()
    print('%d failure(s)' % len(failures))
    sys.exit(1 if failures else 0)


if __name__ == '__main__':
    main()
