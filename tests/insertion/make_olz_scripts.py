#!/usr/bin/env python3
"""Writes the supplied insertion scripts of data/Tools/WizDates/Olz (UTF-8
sources; the build turns them into code page 932 with CR LF) and the cases
file olz_cases.json that tst_olzscripts runs them against.

Run from anywhere:  python3 tests/insertion/make_olz_scripts.py
"""
import json
import os

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), '..', '..'))
OLZ = os.path.join(ROOT, 'data', 'Tools', 'WizDates', 'Olz')
CASES = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'olz_cases.json')

# ---- statements -----------------------------------------------------------

def hs(i, s, b): return [0, i, s, b]
def lit(piece):
    assert piece and ',' not in piece and '"' not in piece and '\n' not in piece
    assert not piece[0].isspace() and not piece[-1].isspace(), piece
    return [1, 0, 0, piece]
def outv(letter, idx): return [1, 1, idx, letter]
def sel(): return [2]
def set_s(idx, text): return [3, 0, 0, idx, 0, text]
def set_i(idx, val): return [3, 1, 0, idx, val, '']
def add_i(target, left_var, right_const): return [4, 0, target, 1, left_var, 0, right_const]
def if_i(var, cmp, const): return [5, 1, 1, var, cmp, 0, const, '', '']
def if_s_empty(var): return [5, 0, 1, var, 0, 0, 0, '', '']
def if_b(var, value=True): return [5, 2, 1, var, 0, 0, 1 if value else 0, '', '']
def els(): return [6]
def endif(): return [7]
def loop(): return [8]
def until_i(var, cmp, const_or_var, var2=False):
    return [9, 1, 1, var, cmp, 1 if var2 else 0, const_or_var, '', '']
def br(): return [11]
def tok(n): return [13, n]
def end(): return [-1]

def window(slots, button, title=''):
    """slots: up to four (kind, variable, initial, caption)."""
    slots = list(slots) + [(-1, -1, '', '')] * (4 - len(slots))
    kinds = [s[0] for s in slots]
    vars_ = [s[1] for s in slots]
    inits = [s[2] for s in slots]
    caps = [s[3] for s in slots]
    for t in [title] + inits + caps:
        assert ',' not in t and '\n' not in t and not t.startswith('"') and t == t.lstrip()
    return [12] + kinds + vars_ + [button, title] + inits + caps

def text(s):
    """Output statements for a literal text: commas, double quotes, blanks at
    the edges of a piece and line breaks go through their own statements."""
    ops = []
    piece = ''
    def flush():
        nonlocal piece
        core = piece.strip(' ')
        lead = len(piece) - len(piece.lstrip(' '))
        trail = len(piece) - len(piece.rstrip(' ')) if core else 0
        ops.extend([tok(2)] * lead)
        if core:
            ops.append(lit(core))
        ops.extend([tok(2)] * trail)
        piece = ''
    for ch in s:
        if ch in ',"\n':
            flush()
            ops.append({',': tok(0), '"': tok(1), '\n': br()}[ch])
        else:
            piece += ch
    flush()
    return ops

def line(ops):
    """The one-line file text of a statement list."""
    fields = ['$WizDate', str(len(ops) - 1)]
    for op in ops:
        fields += [str(f) for f in op]
    out = ','.join(fields)
    return out

# ---- Olz/Basic: everyday tags around the selection -------------------------

SEL = '選択文字列'

def wrap(before, after):
    return [hs(0, 0, 0)] + text(before) + [sel()] + text(after) + [end()]

def basic_entries():
    e = []
    for n in range(1, 7):
        e.append((f'見出し{n}（h{n}）', f'選択した文字列をレベル{n}の見出しにします。', f'<h{n}>', f'</h{n}>'))
    e += [
        ('段落（p）', '選択した文字列を一つの段落にします。', '<p>', '</p>'),
        ('改行（br）', '選択した文字列の後ろに改行タグを入れます。', '', '<br>\n'),
        ('太字（b）', '選択した文字列を太字にします。', '<b>', '</b>'),
        ('斜体（i）', '選択した文字列を斜体にします。', '<i>', '</i>'),
        ('下線（u）', '選択した文字列に下線を引きます。', '<u>', '</u>'),
        ('取り消し線（s）', '選択した文字列に取り消し線を引きます。', '<s>', '</s>'),
        ('中央揃え（center）', '選択した文字列を中央に揃えます。', '<center>', '</center>'),
        ('水平線（hr）', '選択した文字列の後ろに水平線を入れます。', '', '\n<hr>\n'),
        ('箇条書き（ul）', '選択した文字列を一項目とする箇条書きを作ります。', '<ul>\n<li>', '</li>\n</ul>'),
        ('番号付きリスト（ol）', '選択した文字列を一項目とする番号付きリストを作ります。', '<ol>\n<li>', '</li>\n</ol>'),
        ('リストの項目（li）', '選択した文字列をリストの一項目にします。', '<li>', '</li>'),
        ('表の枠組み（table）', '一行一列の表を作り選択した文字列をそのセルに入れます。',
         '<table border="1">\n<tr>\n<td>', '</td>\n</tr>\n</table>'),
        ('引用（blockquote）', '選択した文字列を引用文にします。', '<blockquote>', '</blockquote>'),
        ('整形済みテキスト（pre）', '選択した文字列を書いたとおりに表示します。', '<pre>', '</pre>'),
        ('コメント', '選択した文字列をブラウザに表示されないコメントにします。', '<!-- ', ' -->'),
        ('強調（em）', '選択した文字列を強調します。', '<em>', '</em>'),
        ('より強い強調（strong）', '選択した文字列をより強く強調します。', '<strong>', '</strong>'),
        ('上付き文字（sup）', '選択した文字列を上付きにします。', '<sup>', '</sup>'),
        ('下付き文字（sub）', '選択した文字列を下付きにします。', '<sub>', '</sub>'),
        ('小さい文字（small）', '選択した文字列を一回り小さくします。', '<small>', '</small>'),
        ('大きい文字（big）', '選択した文字列を一回り大きくします。', '<big>', '</big>'),
        ('プログラムコード（code）', '選択した文字列を等幅のコードとして表示します。', '<code>', '</code>'),
        ('ブロック（div）', '選択した文字列を一つのブロックにまとめます。', '<div>', '</div>'),
        ('リンク（a href）', '選択した文字列をリンクにします。リンク先は後で書き入れます。', '<a href="">', '</a>'),
        ('文字コードの指定（meta）', 'ページの文字コードがShift_JISであることを示すタグを入れます。',
         '<meta http-equiv="Content-Type" content="text/html; charset=Shift_JIS">\n', ''),
        ('HTMLの骨組み', '選択した文字列を題名とするページの骨組みを作ります。',
         '<html>\n<head>\n<meta http-equiv="Content-Type" content="text/html; charset=Shift_JIS">\n<title>',
         '</title>\n</head>\n<body>\n\n</body>\n</html>'),
    ]
    scripts = []
    cases = []
    for i, (name, desc, before, after) in enumerate(e):
        scripts.append((name, desc, wrap(before, after)))
        cases.append({'folder': 'Basic', 'index': i, 'selection': SEL, 'answers': [],
                      'expected': (before + SEL + after).replace('\n', '\r\n')})
    # Entries that use the selection more than once.
    i = len(scripts)
    scripts.append(('アンカー（a name）', '選択した文字列を名前とするページ内の目印を作ります。',
                    [hs(0, 0, 0)] + text('<a name="') + [sel()] + text('">') + [sel()] + text('</a>') + [end()]))
    cases.append({'folder': 'Basic', 'index': i, 'selection': 'top', 'answers': [],
                  'expected': '<a name="top">top</a>'})
    i += 1
    scripts.append(('メールアドレスへのリンク', '選択したメールアドレスへのリンクを作ります。',
                    [hs(0, 0, 0)] + text('<a href="mailto:') + [sel()] + text('">') + [sel()] + text('</a>') + [end()]))
    cases.append({'folder': 'Basic', 'index': i, 'selection': 'info@example.jp', 'answers': [],
                  'expected': '<a href="mailto:info@example.jp">info@example.jp</a>'})
    return scripts, cases

# ---- Olz/Wizs: wizards ----------------------------------------------------

def wizs():
    scripts = []
    cases = []

    def add(name, desc, ops, script_cases):
        idx = len(scripts)
        scripts.append((name, desc, ops))
        for c in script_cases:
            c = dict(c)
            c['folder'] = 'Wizs'
            c['index'] = idx
            c['expected'] = c['expected'].replace('\n', '\r\n')
            cases.append(c)

    # 0: link to a page of the project. S0 page, S1 link text, B0 new window.
    ops = [hs(0, 1, 0),
           window([(4, 0, '', 'リンク先のページ：'), (0, 1, '', 'リンクの文字列（空欄なら選択した文字列）：'),
                   (2, 0, 'False', '新しいウィンドウで開く')], 1, 'ページへのリンク')]
    ops += text('<a href="') + [outv('S', 0), tok(1)]
    ops += [if_b(0)] + text(' target="_blank"') + [endif()]
    ops += text('>') + [if_s_empty(1), sel(), els(), outv('S', 1), endif()] + text('</a>') + [end()]
    add('プロジェクトのページへのリンク', 'プロジェクトのページを選んでリンクを作ります。', ops, [
        {'selection': 'トップへ', 'answers': [['Index.htm', '', 'False']],
         'expected': '<a href="Index.htm">トップへ</a>'},
        {'selection': 'x', 'answers': [['Page2.htm', '次のページ', 'True']],
         'expected': '<a href="Page2.htm" target="_blank">次のページ</a>'},
        {'selection': 'unchanged', 'answers': ['CANCEL'], 'expected': 'unchanged'},
    ])

    # 1: picture. S0 picture, S1 alt, B0 give a size; I0 width, I1 height.
    ops = [hs(1, 1, 0),
           window([(5, 0, '', '画像ファイル：'), (0, 1, '', '代わりの文字列（alt）：'),
                   (2, 0, 'False', '大きさを指定する')], 0, '画像の挿入'),
           if_b(0),
           window([(1, 0, '100', '幅（ピクセル）：'), (1, 1, '100', '高さ（ピクセル）：')], 1, '画像の大きさ'),
           endif()]
    ops += text('<img src="') + [outv('S', 0)] + text('" alt="') + [outv('S', 1), tok(1)]
    ops += [if_b(0)] + text(' width=') + [outv('I', 0)] + text(' height=') + [outv('I', 1), endif()]
    ops += text('>') + [end()]
    add('画像の挿入', 'プロジェクトの画像を選び代わりの文字列と大きさを付けて画像タグを作ります。', ops, [
        {'selection': '', 'answers': [['logo.gif', 'ロゴ', 'False']],
         'expected': '<img src="logo.gif" alt="ロゴ">'},
        {'selection': 'old', 'answers': [['photo.jpg', '写真', 'True'], ['320', '240']],
         'expected': '<img src="photo.jpg" alt="写真" width=320 height=240>'},
        {'selection': 'old', 'answers': [['photo.jpg', '写真', 'True'], 'CANCEL'], 'expected': 'old'},
    ])

    # 2: table rows x columns. I0 rows, I1 columns, I2/I3 counters, B0 border.
    ops = [hs(3, 0, 0),
           window([(1, 0, '2', '行の数：'), (1, 1, '2', '列の数：'), (2, 0, 'True', '枠線を付ける')], 1, '表の作成'),
           if_i(0, 1, 1), set_i(0, 1), endif(),
           if_i(1, 1, 1), set_i(1, 1), endif()]
    ops += text('<table') + [if_b(0)] + text(' border="1"') + [endif()] + text('>\n')
    ops += [set_i(2, 0), loop()] + text('<tr>\n') + [set_i(3, 0), loop()] + text('<td>')
    ops += [if_i(2, 0, 0), if_i(3, 0, 0), sel(), endif(), endif()]
    ops += text('</td>\n') + [add_i(3, 3, 1), until_i(3, 4, 1, var2=True)]
    ops += text('</tr>\n') + [add_i(2, 2, 1), until_i(2, 4, 0, var2=True)]
    ops += text('</table>') + [end()]
    add('表の作成', '行と列の数を指定して表を作ります。選択した文字列は最初のセルに入ります。', ops, [
        {'selection': 'A', 'answers': [['2', '3', 'True']],
         'expected': '<table border="1">\n<tr>\n<td>A</td>\n<td></td>\n<td></td>\n</tr>\n'
                     '<tr>\n<td></td>\n<td></td>\n<td></td>\n</tr>\n</table>'},
        {'selection': '', 'answers': [['0', '1', 'False']],
         'expected': '<table>\n<tr>\n<td></td>\n</tr>\n</table>'},
    ])

    # 3: list of N items. I0 count, I1 counter, B0 ul, B1 ol.
    ops = [hs(1, 0, 1),
           window([(1, 0, '3', '項目の数：'), (3, 0, 'True', '番号なしの箇条書き（ul）'),
                   (3, 1, 'False', '番号付きのリスト（ol）')], 1, 'リストの作成'),
           if_i(0, 1, 1), set_i(0, 1), endif(),
           if_b(1)] + text('<ol>\n') + [els()] + text('<ul>\n') + [endif()]
    ops += [set_i(1, 0), loop()] + text('<li>') + [if_i(1, 0, 0), sel(), endif()] + text('</li>\n')
    ops += [add_i(1, 1, 1), until_i(1, 4, 0, var2=True)]
    ops += [if_b(1)] + text('</ol>') + [els()] + text('</ul>') + [endif(), end()]
    add('リストの作成', '項目の数を指定して箇条書きか番号付きのリストを作ります。', ops, [
        {'selection': '最初', 'answers': [['3', 'True', 'False']],
         'expected': '<ul>\n<li>最初</li>\n<li></li>\n<li></li>\n</ul>'},
        {'selection': '', 'answers': [['2', 'False', 'True']],
         'expected': '<ol>\n<li></li>\n<li></li>\n</ol>'},
    ])

    # 4: mail link. S0 address, S1 subject, S2 link text.
    ops = [hs(0, 2, 0),
           window([(0, 0, '', 'メールアドレス：'), (0, 1, '', '件名（省略できます）：'),
                   (0, 2, '', 'リンクの文字列（空欄なら選択した文字列）：')], 1, 'メールへのリンク')]
    ops += text('<a href="mailto:') + [outv('S', 0), if_s_empty(1), els()] + text('?subject=') + [outv('S', 1), endif()]
    ops += text('">') + [if_s_empty(2), sel(), els(), outv('S', 2), endif()] + text('</a>') + [end()]
    add('メールへのリンク', 'メールアドレスと件名を指定してメールを送るリンクを作ります。', ops, [
        {'selection': 'お問い合わせ', 'answers': [['me@example.jp', '', '']],
         'expected': '<a href="mailto:me@example.jp">お問い合わせ</a>'},
        {'selection': '', 'answers': [['me@example.jp', 'ご意見', 'メール']],
         'expected': '<a href="mailto:me@example.jp?subject=ご意見">メール</a>'},
    ])

    # 5: page colours. S0 bgcolor, S1 text, S2 link, S3 vlink.
    ops = [hs(0, 3, 0),
           window([(8, 0, '#FFFFFF', '背景色：'), (8, 1, '#000000', '文字の色：'),
                   (8, 2, '#0000FF', 'リンクの色：'), (8, 3, '#800080', '訪問済みリンクの色：')], 1, 'ページの色')]
    ops += text('<body')
    for var, attr in enumerate(['bgcolor', 'text', 'link', 'vlink']):
        ops += [if_s_empty(var), els()] + text(' ' + attr + '="') + [outv('S', var), tok(1), endif()]
    ops += text('>\n') + [sel()] + text('\n</body>') + [end()]
    add('ページの色', '背景色と文字やリンクの色を指定してbodyタグを作ります。', ops, [
        {'selection': '本文', 'answers': [[None, None, None, None]],
         'expected': '<body bgcolor="#FFFFFF" text="#000000" link="#0000FF" vlink="#800080">\n本文\n</body>'},
        {'selection': '', 'answers': [['#FFFFCC', '', '#FF0000', '']],
         'expected': '<body bgcolor="#FFFFCC" link="#FF0000">\n\n</body>'},
    ])

    # 6: heading with level and alignment. I0 level, B0 left, B1 centre, B2 right.
    ops = [hs(0, 0, 2),
           window([(1, 0, '1', '見出しのレベル（1～6）：'), (3, 0, 'True', '左揃え'),
                   (3, 1, 'False', '中央揃え'), (3, 2, 'False', '右揃え')], 1, '見出しの作成'),
           if_i(0, 1, 1), set_i(0, 1), endif(),
           if_i(0, 2, 6), set_i(0, 6), endif()]
    ops += text('<h') + [outv('I', 0)]
    ops += [if_b(1)] + text(' align=center') + [endif(), if_b(2)] + text(' align=right') + [endif()]
    ops += text('>') + [sel()] + text('</h') + [outv('I', 0)] + text('>') + [end()]
    add('見出しの作成', '見出しのレベルと揃え方を指定して選択した文字列を見出しにします。', ops, [
        {'selection': 'はじめに', 'answers': [['2', 'True', 'False', 'False']],
         'expected': '<h2>はじめに</h2>'},
        {'selection': 'T', 'answers': [['9', 'False', 'True', 'False']],
         'expected': '<h6 align=center>T</h6>'},
        {'selection': 'T', 'answers': [['-3', 'False', 'False', 'True']],
         'expected': '<h1 align=right>T</h1>'},
    ])

    # 7: font with colour. S0 colour, I0 size, S1 face.
    ops = [hs(0, 1, 0),
           window([(8, 0, '#FF0000', '文字の色：'), (1, 0, '3', '大きさ（3が標準）：'),
                   (0, 1, '', 'フォント名（空欄なら指定なし）：')], 1, '色付きの文字')]
    ops += text('<font') + [if_s_empty(0), els()] + text(' color="') + [outv('S', 0), tok(1), endif()]
    ops += [if_i(0, 5, 3)] + text(' size=') + [outv('I', 0), endif()]
    ops += [if_s_empty(1), els()] + text(' face="') + [outv('S', 1), tok(1), endif()]
    ops += text('>') + [sel()] + text('</font>') + [end()]
    add('色付きの文字', '色と大きさと書体を指定して選択した文字列をfontタグで囲みます。', ops, [
        {'selection': '注意', 'answers': [[None, None, None]],
         'expected': '<font color="#FF0000">注意</font>'},
        {'selection': 'abc', 'answers': [['#008000', '5', 'ＭＳ ゴシック']],
         'expected': '<font color="#008000" size=5 face="ＭＳ ゴシック">abc</font>'},
    ])

    # 8: horizontal rule. I0 width %, I1 thickness, B0 no shade.
    ops = [hs(1, 0, 0),
           window([(1, 0, '100', '幅（％）：'), (1, 1, '2', '太さ（ピクセル）：'),
                   (2, 0, 'False', '影を付けない')], 1, '水平線')]
    ops += [sel()] + text('<hr width="') + [outv('I', 0)] + text('%" size=') + [outv('I', 1)]
    ops += [if_b(0)] + text(' noshade') + [endif()] + text('>') + [end()]
    add('水平線', '幅と太さを指定して水平線を入れます。', ops, [
        {'selection': '', 'answers': [['50', '4', 'True']],
         'expected': '<hr width="50%" size=4 noshade>'},
    ])

    # 9: information only; the window can only be cancelled.
    ops = [hs(0, 0, 0),
           window([(7, -1, '', 'このウィザードは説明だけを表示します。'),
                   (7, -1, '', 'キャンセルを押すと何も挿入されません。')], 2, 'ウィザードの使い方'),
           end()]
    add('ウィザードの使い方', 'ウィザードの使い方の説明を表示します。何も挿入しません。', ops, [
        {'selection': 'keep', 'answers': ['CANCEL'], 'expected': 'keep'},
    ])
    return scripts, cases

# ---- Olz/Fonts: entries in the default font script's layout -----------------

def font_script(colour, face, size):
    ops = [hs(0, 2, 0), set_s(0, colour), set_s(1, face), set_i(0, size), lit('<font'),
           if_s_empty(0), els(), tok(2), lit('color='), tok(1), outv('S', 0), tok(1), endif(),
           if_i(0, 5, 3), tok(2), lit('size='), outv('I', 0), endif(),
           if_s_empty(1), els(), tok(2), lit('face='), tok(1), outv('S', 1), tok(1), endif(),
           lit('>'), sel(), lit('</font>'), end()]
    return ops

DEFAULT_FONT = ('$WizDate,29,0,0,2,0,3,0,0,0,0,,3,0,0,1,0,,3,1,0,0,3,,1,0,0,<font,5,0,1,0,0,0,0,,,6,13,2,'
                '1,0,0,color=,13,1,1,1,0,S,13,1,7,5,1,1,0,5,0,3,,,13,2,1,0,0,size=,1,1,0,I,7,5,0,1,1,0,0,0,,,'
                '6,13,2,1,0,0,face=,13,1,1,1,1,S,13,1,7,1,0,0,>,2,1,0,0,</font>,-1')

def fonts():
    assert line(font_script('', '', 3)) == DEFAULT_FONT
    entries = [
        ('赤い文字', '選択した文字列を赤くします。', '#FF0000', '', 3),
        ('青い文字', '選択した文字列を青くします。', '#0000FF', '', 3),
        ('緑の文字', '選択した文字列を緑色にします。', '#008000', '', 3),
        ('灰色の小さい文字', '選択した文字列を灰色で小さく表示します。', '#808080', '', 2),
        ('大きい文字', '選択した文字列を大きく表示します。', '', '', 5),
        ('とても大きい文字', '選択した文字列をとても大きく表示します。', '', '', 7),
        ('小さい文字', '選択した文字列を小さく表示します。', '', '', 1),
        ('ゴシック体', '選択した文字列をＭＳ ゴシックで表示します。', '', 'ＭＳ ゴシック', 3),
        ('明朝体', '選択した文字列をＭＳ 明朝で表示します。', '', 'ＭＳ 明朝', 3),
        ('赤いゴシック体の大きい文字', '選択した文字列を赤いゴシック体で大きく表示します。', '#CC0000', 'ＭＳ ゴシック', 6),
    ]
    scripts = []
    cases = []
    for i, (name, desc, colour, face, size) in enumerate(entries):
        scripts.append((name, desc, font_script(colour, face, size)))
        attrs = ''
        if colour:
            attrs += f' color="{colour}"'
        if size != 3:
            attrs += f' size={size}'
        if face:
            attrs += f' face="{face}"'
        cases.append({'folder': 'Fonts', 'index': i, 'selection': 'abc', 'answers': [],
                      'expected': f'<font{attrs}>abc</font>',
                      'font': {'colour': colour, 'face': face, 'size': size}})
    return scripts, cases

# ---- writing --------------------------------------------------------------

def write_folder(folder, scripts):
    path = os.path.join(OLZ, folder)
    os.makedirs(path, exist_ok=True)
    for old in os.listdir(path):
        if old.startswith('WizDate') and old.endswith('.dat'):
            os.remove(os.path.join(path, old))
    fields = [str(len(scripts) - 1)]
    for i, (name, desc, ops) in enumerate(scripts):
        for t in (name, desc):
            assert ',' not in t and '\n' not in t and not t.startswith((' ', '"')), t
        fields += [name, desc]
        with open(os.path.join(path, f'WizDate{i}.dat'), 'w', encoding='utf-8', newline='\n') as f:
            f.write(line(ops) + '\n')
    with open(os.path.join(path, 'WizList.dat'), 'w', encoding='utf-8', newline='\n') as f:
        f.write(','.join(fields) + '\n')

def main():
    all_cases = []
    for folder, make in (('Basic', basic_entries), ('Wizs', wizs), ('Fonts', fonts)):
        scripts, cases = make()
        write_folder(folder, scripts)
        all_cases += cases
    with open(CASES, 'w', encoding='utf-8', newline='\n') as f:
        json.dump(all_cases, f, ensure_ascii=False, indent=1)
        f.write('\n')

if __name__ == '__main__':
    main()
