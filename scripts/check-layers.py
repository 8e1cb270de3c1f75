#!/usr/bin/env python3
"""Holds the layers of the source tree: run from the test suite (LayerCheck).

Every quoted #include names its header from the top of the tree
("meter/ReadingDecoder.h"), includes run only downward (a folder includes
itself and the folders below it), logic folders include no widgets (neither
a widgets/ folder nor a Qt Widgets header), and every source file is named in
its folder's CMakeLists.txt. Prints each breach and exits 1 when there is one.

usage: check-layers.py [SOURCE_ROOT]
"""
import glob
import os
import re
import sys

# What each folder may include besides itself. A widgets/ folder may include
# what its logic folder may, and its logic folder; tests/<folder> may include
# what <folder> may, and the test support.
BELOW = {
    'common': [],
    'acoustics': [],
    'meter': ['common'],
    'res': ['common'],
    'workbook': ['common'],
    'graph': ['common'],
    'logger': ['graph', 'workbook', 'acoustics', 'meter', 'res', 'common'],
    'report': ['logger', 'graph', 'acoustics', 'common'],
    'monitor': ['report', 'logger', 'graph', 'workbook', 'acoustics', 'meter', 'res', 'common'],
    'station': ['monitor', 'acoustics', 'meter', 'common'],
    'tools/sim': ['common'],
}
ANYTHING = ['app', 'tools/cli', 'bench', 'fuzz']
# The report is drawn for the printer through the graphs' print job, so it
# sits on the widgets of the layers below it.
ON_WIDGETS = {'report'}
SOURCE_FOLDERS = sorted(set(BELOW) | set(ANYTHING) | {'tests'})
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)
GENERATED = re.compile(r'(^ui_|^moc_|\.moc$)')


def folder_of(path):
    """The layer a header or source belongs to: its first one or two path parts."""
    parts = path.split('/')
    if parts[0] == 'tools' and len(parts) > 2:
        return 'tools/' + parts[1]
    return parts[0]


def widgets_headers():
    names = set()
    for d in glob.glob('/usr/include/*/qt6/QtWidgets') + glob.glob('/usr/include/qt6/QtWidgets') \
            + glob.glob('/usr/include/*/qt6/QtPrintSupport') + glob.glob('/usr/include/qt6/QtPrintSupport'):
        names.update(f for f in os.listdir(d) if f.startswith('Q') and '.' not in f)
    return names


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), '..'))
    os.chdir(root)
    widget_names = widgets_headers()
    breaches = []
    sources = []
    for folder in SOURCE_FOLDERS:
        for dirpath, _, names in os.walk(folder):
            sources += [os.path.join(dirpath, n) for n in sorted(names) if n.endswith(('.cpp', '.h'))]

    for path in sources:
        in_tests = path.startswith('tests/')
        own = path[len('tests/'):] if in_tests else path
        layer = folder_of(own)
        is_widgets = '/widgets/' in own or layer in ON_WIDGETS
        if in_tests and layer == 'support':
            # Test equipment for every layer's tests.
            allowed, widgets_ok = None, True
        elif layer in BELOW:
            allowed = {layer, *BELOW[layer]}
            widgets_ok = is_widgets
        else:
            allowed, widgets_ok = None, True
        if in_tests and allowed is not None:
            # Tests may drive the simulated meter's own wire format.
            allowed |= {'tests/support', 'tests/' + layer, 'tools/sim'}
        text = open(path, encoding='utf-8').read()
        for kind, name in INCLUDE.findall(text):
            line = text[:text.find(name)].count('\n') + 1
            where = f'{path}:{line}'
            if kind == '"':
                if GENERATED.search(os.path.basename(name)):
                    continue
                if not os.path.isfile(name):
                    breaches.append(f'{where}: "{name}" is not named from the top of the tree')
                    continue
                target = 'tests/' + folder_of(name[6:]) if name.startswith('tests/') else folder_of(name)
                if name.startswith('tests/') and not in_tests and layer not in ('bench', 'fuzz'):
                    breaches.append(f'{where}: shipped code includes the test support "{name}"')
                elif allowed is not None and target not in allowed:
                    breaches.append(f'{where}: {layer} may not include "{name}" (a layer above it)')
                elif '/widgets/' in name and not widgets_ok:
                    breaches.append(f'{where}: logic includes the widget header "{name}"')
            elif not widgets_ok and allowed is not None and os.path.basename(name) in widget_names:
                breaches.append(f'{where}: logic includes the Qt Widgets header <{name}>')

    # Every source is named in the CMakeLists.txt of its folder or of one above it.
    for path in sources:
        name = os.path.basename(path)
        if path.startswith('bench/'):
            name = os.path.splitext(name)[0]
        named = re.compile(r'(^|[\s/(])' + re.escape(name) + r'([\s)]|$)', re.M)
        d = os.path.dirname(path)
        nearest = None
        while True:
            lists = os.path.join(d, 'CMakeLists.txt')
            if os.path.isfile(lists):
                nearest = nearest or lists
                if named.search(open(lists, encoding='utf-8').read()):
                    break
            if not d:
                breaches.append(f'{path}: not named in {nearest}')
                break
            d = os.path.dirname(d)

    for b in breaches:
        print(b)
    print(f'{len(sources)} files checked, {len(breaches)} breaches')
    return 1 if breaches else 0


if __name__ == '__main__':
    sys.exit(main())
